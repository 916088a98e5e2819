#pragma once
#include <cstdint>
#include <string>

// Where the updater fetches from, whom it trusts and how long it waits. The shipped program has
// these built in: its own host, the system's CA store, and the limits below. Only the test build
// of the updater (compiled with QUILL_UPDATER_TEST_HOOKS) reads overrides from the environment,
// so that tests can point it at a server on 127.0.0.1 with a CA they made.
struct TransferLimits {
    long lowSpeedBytesPerSecond;  // a transfer slower than this ...
    long lowSpeedSeconds;         // ... for this long is ended
    int64_t maxDocumentBytes;     // the update-information document
    int64_t maxDownloadBytes;     // the update file, as announced and as received
    int64_t maxUnpackedBytes;     // everything an update archive unpacks to
};

// For tests of an apply that is killed: stop this process with signal once the commit has made
// its step-th change to the installation. Step 0 (the shipped program): never.
struct CommitStop {
    int step;
    int signal;
};

std::string UpdateHost();
// Empty: the system's CA store.
std::string UpdateCaFile();
TransferLimits GetTransferLimits();
CommitStop GetCommitStop();
