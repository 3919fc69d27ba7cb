#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// The file system as the model readers see it. Names that came from other systems may use "\"
// as the separator; it is read as "/" here.

// What identifies one version of a file: whether it is there, its size and its modification time.
struct FileStamp
{
    bool exists = false;
    uintmax_t size = 0;
    int64_t modified = 0;

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// `path` with every "\" turned into "/".
std::string nativePath(const std::string& path);

// True when path names a regular file (a folder is not a file to read).
bool isRegularFile(const std::string& path);

// The stamp of the regular file at path; exists is false when there is none.
FileStamp fileStamp(const std::string& path);

// An open file read from start to end. Throws ModelReadError "Cannot read the file : PATH (REASON)"
// when it exists but cannot be opened or read.
class FileReader
{
public:
    explicit FileReader(const std::string& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Reads up to size bytes into buffer; 0 at the end of the file.
    size_t read(char* buffer, size_t size);
    // Goes to offset bytes from the start, for the next read.
    void seek(uint64_t offset);

private:
    std::string m_path;
    std::FILE* m_file;
};

// The whole file. Throws ModelReadError "Cannot read the file : PATH (REASON)" when it exists but
// cannot be read.
std::string readWholeFile(const std::string& path);

// The file at path, or, since the model reader upper-cases the names of material libraries, the
// file whose path differs from it only in the case of its parts (folders as well as the file's
// name); nothing when there is none. Where a folder holds several names that differ only in case,
// the one written exactly is taken, else the first in name order.
std::optional<std::string> findFileIgnoringCase(const std::string& path);

// The material library at path (found as findFileIgnoringCase finds it), or nothing when there
// is none. Throws ModelReadError when it exists but cannot be read.
std::optional<std::string> readLibraryFile(const std::string& path);
