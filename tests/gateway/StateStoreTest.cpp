// The state file: kept whole across saves, a half-written temporary file
// from a crash ignored, an unusable file moved aside with one clear notice.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

#include "gateway/hub/StateStore.h"

namespace corvane::gateway {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

class StateStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.filePath(QStringLiteral("sub/state.json")); }
};

TEST_F(StateStoreTest, WhatIsSavedIsLoadedAgainAndACrashedWriteLeavesTheOldFile) {
    StateStore store(Path());
    QString notice;
    EXPECT_EQ(store.Load(notice), HostState::Defaults()) << "no file yet: defaults";
    EXPECT_TRUE(notice.isEmpty());

    HostState s = HostState::Defaults();
    s.inputLabels[1] = QStringLiteral("Laptop ü");
    s.outputLabels[3] = QStringLiteral("Beamer");
    s.lockedBy[0] = QStringLiteral("desk");
    s.presets[QStringLiteral("Show 1")] = {3, 2, 1, 0};
    QString error;
    ASSERT_TRUE(store.Save(s, error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Path() + ".tmp"));
    EXPECT_EQ(store.Load(notice), s);

    // A write cut off by a crash leaves only its temporary file behind.
    WriteFile(Path() + ".tmp", "{\"version\": 1, \"lab");
    EXPECT_EQ(store.Load(notice), s);
    EXPECT_TRUE(notice.isEmpty());
    s.presets.erase(QStringLiteral("Show 1"));
    ASSERT_TRUE(store.Save(s, error));
    EXPECT_EQ(store.Load(notice), s);
}

TEST_F(StateStoreTest, AnUnusableFileIsKeptAsideAndTheDefaultsAreUsed) {
    const QByteArray aBad[] = {
        "{ not json",
        "[]",
        R"({"version": 2})",
        R"({"version": 1, "labels": {"inputs": ["a","b","c"], "outputs": ["1","2","3","4"]}, "locks": [null,null,null,null], "presets": {}})",
        R"({"version": 1, "labels": {"inputs": ["a","b","c","d"], "outputs": ["1","2","3","4"]}, "locks": [null,null,null,null], "presets": {"x": [1,2,3,9]}})",
    };
    StateStore store(Path());
    QDir().mkpath(dir.filePath(QStringLiteral("sub")));
    for (const QByteArray& bad : aBad) {
        WriteFile(Path(), bad);
        QString notice;
        EXPECT_EQ(store.Load(notice), HostState::Defaults()) << bad.constData();
        EXPECT_TRUE(notice.contains(QStringLiteral("starting with defaults"))) << notice.toStdString();
        EXPECT_FALSE(notice.contains('\n'));
        EXPECT_FALSE(QFile::exists(Path())) << "moved aside";
        const QStringList aside =
            QDir(dir.filePath(QStringLiteral("sub"))).entryList({QStringLiteral("state.json.corrupt-*")});
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("sub/")) + aside.first()), bad) << "kept as it was";
        QFile::remove(dir.filePath(QStringLiteral("sub/")) + aside.first());
    }
}

TEST_F(StateStoreTest, AFolderThatCannotBeWrittenIsAnErrorNotACrash) {
    WriteFile(dir.filePath(QStringLiteral("plainfile")), "x");
    StateStore store(dir.filePath(QStringLiteral("plainfile/state.json")));
    QString error;
    EXPECT_FALSE(store.Save(HostState::Defaults(), error));
    EXPECT_FALSE(error.isEmpty());
}

// flock() locks belong to the open file, so a second store in the same
// process stands in for a second gateway.
TEST_F(StateStoreTest, OneStateFileHasOneHolderUntilItIsReleased) {
    QString message;
    auto first = std::make_unique<StateStore>(Path());
    ASSERT_EQ(first->Lock(message), StateStore::LockResult::Held) << message.toStdString();
    EXPECT_TRUE(message.isEmpty());

    StateStore second(Path());
    EXPECT_EQ(second.Lock(message), StateStore::LockResult::InUse);
    EXPECT_TRUE(message.contains(Path())) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("pid %1").arg(::getpid()))) << message.toStdString();

    first.reset();
    message.clear();
    EXPECT_EQ(second.Lock(message), StateStore::LockResult::Held) << "freed when its holder ends";

    // A place where no lock can be made is said, not fatal.
    WriteFile(dir.filePath(QStringLiteral("plainfile")), "x");
    StateStore nowhere(dir.filePath(QStringLiteral("plainfile/state.json")));
    EXPECT_EQ(nowhere.Lock(message), StateStore::LockResult::Unavailable);
    EXPECT_TRUE(message.contains(QStringLiteral("cannot lock the state file"))) << message.toStdString();
    EXPECT_TRUE(message.contains(dir.filePath(QStringLiteral("plainfile")))) << "names the place";
}

}  // namespace
}  // namespace corvane::gateway
