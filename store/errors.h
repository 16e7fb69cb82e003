#pragma once

#include <stdexcept>
#include <string>

namespace arrange5 {

// What every failed write adds to its message: the transaction was rolled back.
inline constexpr const char* kHistoryUnchanged = "历史号码保持原样";

// Every failure the libraries report derives from this; the message is meant for the user.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The database file cannot be opened, read or written.
class StoreError : public Error {
  public:
    using Error::Error;
};

// Zembric.mdb exists but is not a database this program can read; it is left untouched.
class NotADatabaseError : public StoreError {
  public:
    using StoreError::StoreError;
};

// Another copy of the program is writing to the same data folder.
class StoreBusyError : public StoreError {
  public:
    using StoreError::StoreError;
};

// The change was committed, then a step after the commit failed (reading the history
// again): the command is done and must not be repeated. Front ends report it as a warning.
class ChangeCommittedError : public StoreError {
  public:
    using StoreError::StoreError;
};

// A history text file or backup file that cannot be used.
class HistoryFileError : public Error {
  public:
    using Error::Error;
};

// The settings file cannot be read as the window reads it (not a regular file, too large, or a
// line whose meaning the command line does not share with the window); the message names
// the file and the line.
class SettingsFileError : public Error {
  public:
    using Error::Error;
};

// A value typed by the user (an issue, N, k) that the command cannot work with.
class InputError : public Error {
  public:
    using Error::Error;
};

// The user stopped a long command; nothing was changed.
class CancelledError : public Error {
  public:
    using Error::Error;
};

// A page of the results site could not be fetched or read.
class FetchError : public Error {
  public:
    using Error::Error;
};

}  // namespace arrange5
