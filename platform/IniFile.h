#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A write to the INI file failed; the message is "Unable to write to <file name>: <reason>".
class EIniFileException : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// A private-profile file: "[Section]" lines, each followed by "key=value" lines.
//
// The file is read once, when the object is made; callers make one object per read or write job, as the
// profile functions opened the file per call. Every write goes to disk at once, as the profile functions
// did, unless it runs inside a Batch: then the file is written once, when the batch commits.
// The file is saved as ReplaceFile saves (never left half-written where its folder may be written). A failed
// write leaves both the file and this object as they were before it.
//
// Text is single-byte: bytes go in and out unchanged. Lines end in CR LF or LF when read; lines this class
// writes end in CR LF; every line it does not change keeps its bytes. Sections and keys are matched
// without regard to ASCII letter case; the first section of a name and its first matching key count.
//
// A line holds key K when, after leading blanks, it starts with K, then optional blanks, then "=". For
// plain keys that is the usual "key is the text before the first =" rule; it also lets a key that holds
// "=" itself (the profile's closing key of twenty "=") find the line written for it, "=" * 41.
class IniFile
{
  public:
    explicit IniFile(std::string fileName);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    // The trimmed value, at most 2047 bytes, or fallback when the section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key, const std::string& fallback) const;
    // Decimal with a sign, or hexadecimal after "0x" or "$"; a missing key or no number gives fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // ReadInteger with 1 or 0 for fallback; any value but 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Updates the key's line where it stands, or adds the key after the last key line of its section, or
    // adds the section at the end of the file. Raises EIniFileException when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Removes the key's line. Writing it again then appends it at the end of its section: the profile's
    // closing key is put back last this way when a save adds keys to an older file.
    void DeleteKey(std::string_view section, std::string_view key);

    // Collects the writes of its scope into one file write. Without Commit (an exception on the way) the
    // scope's writes are dropped and the file stays as it was. An inner batch joins the outer one.
    class Batch
    {
      public:
        explicit Batch(IniFile& ini);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Writes the file once; raises EIniFileException (and drops the scope's writes) on failure.
        void Commit();

      private:
        IniFile& ini_;
        bool outer_;
        bool done_ = false;
    };

  private:
    struct Line {
        std::string text; // without the line end
        std::string end;  // "\r\n", "\n", or "" for a last line without one
    };
    struct Found {
        size_t header = std::string::npos; // the section's header line
        size_t key = std::string::npos;    // the key's line
        size_t insertAt = 0;               // where a new key of the section goes
    };

    Found Locate(std::string_view section, std::string_view key) const;
    template <class Change> void Edit(Change change);
    void TerminateLastLine();
    void Save() const;

    std::string fileName_;
    std::vector<Line> lines_;
    std::vector<Line> batchStart_;
    int readError_ = 0; // the file exists but could not be read: it is never overwritten
    bool inBatch_ = false;
    bool dirty_ = false;
};
