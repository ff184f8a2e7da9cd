#pragma once
// A pseudo-terminal that plays the switcher: the code under test opens the
// slave path as its COM port, the test reads and writes the master side.
#include <string>
#include <sys/types.h>

class CPtyPair {
public:
    // A pair whose slave is raw (nothing the master writes is echoed back).
    CPtyPair();
    // The same, with CORVANE_COM<nPortNr> pointing at the slave.
    explicit CPtyPair(int nPortNr);
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    bool IsOpen() const { return m_nMaster >= 0; }
    int Master() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlave; }
    dev_t SlaveDevice() const { return m_nSlaveDev; }

    // Writes all of strBytes, waiting (bounded) while the line is full.
    bool Write(const std::string& strBytes);
    // Reads until nBytes have come (never more), or nMaxMs have passed;
    // returns what came. The calling thread's Qt events keep flowing, so a
    // monitor thread handing bytes to it is never stalled.
    std::string Read(size_t nBytes, int nMaxMs = 10000);
    // Everything that arrives until the line has been quiet for nQuietMs:
    // only for proving that nothing (more) came.
    std::string ReadUntilQuiet(int nQuietMs = 300);
    // True when the master has bytes to read within nMs.
    bool Readable(int nMs);
    void CloseMaster();

private:
    bool ReadSome(std::string& strIn, size_t nMax, int nPollMs);

    int m_nMaster = -1;
    std::string m_strSlave;
    dev_t m_nSlaveDev = 0;
};
