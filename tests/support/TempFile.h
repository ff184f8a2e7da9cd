#pragma once
// An empty file of its own in the temporary directory, removed again when the
// test is done. Each test run gets a new name, so two runs of the suite at
// once (two clones on one machine) never open or lock each other's file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

class CTempFile {
public:
    explicit CTempFile(const std::string& strPrefix) {
        std::string strTemplate = ::testing::TempDir() + strPrefix + "XXXXXX";
        const int fd = ::mkstemp(strTemplate.data());
        if (fd >= 0) {
            ::close(fd);
            m_strPath = strTemplate;
        }
    }
    ~CTempFile() {
        if (!m_strPath.empty()) ::unlink(m_strPath.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Empty when the file could not be made.
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};
