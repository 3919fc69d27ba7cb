#include "modelfiles.h"

#include "modelerror.h"
#include "textscan.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string nativePath(const std::string& path)
{
    std::string result = path;
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(fs::path(nativePath(path)), error);
}

FileStamp fileStamp(const std::string& path)
{
    FileStamp stamp;
    if (!isRegularFile(path))
        return stamp;
    const fs::path file(nativePath(path));
    std::error_code error;
    stamp.size = fs::file_size(file, error);
    const auto modified = fs::last_write_time(file, error);
    stamp.modified = int64_t(modified.time_since_epoch().count());
    stamp.exists = !error;
    return stamp;
}

namespace {

ModelReadError cannotRead(const std::string& path, int code)
{
    return ModelReadError("Cannot read the file : " + path + " (" + std::strerror(code) + ")");
}

} // namespace

FileReader::FileReader(const std::string& path)
    : m_path(path), m_file(std::fopen(nativePath(path).c_str(), "rb"))
{
    if (!m_file)
        throw cannotRead(m_path, errno);
}

FileReader::~FileReader()
{
    std::fclose(m_file);
}

size_t FileReader::read(char* buffer, size_t size)
{
    const size_t got = std::fread(buffer, 1, size, m_file);
    if (got == 0 && std::ferror(m_file))
        throw cannotRead(m_path, errno ? errno : EIO);
    return got;
}

std::string readWholeFile(const std::string& path)
{
    FileReader file(path);
    std::string text;
    char chunk[1 << 16];
    while (const size_t got = file.read(chunk, sizeof chunk))
        text.append(chunk, got);
    return text;
}

std::optional<std::string> findFileIgnoringCase(const std::string& path)
{
    if (isRegularFile(path))
        return nativePath(path);
    const fs::path wanted(nativePath(path));
    const std::string name = wanted.filename().string();
    if (name.empty())
        return std::nullopt;
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (equalIgnoringCase(candidate, name) && isRegularFile(it->path().string()))
            return wanted.has_parent_path() ? it->path().string() : candidate;
    }
    return std::nullopt;
}

std::optional<std::string> readLibraryFile(const std::string& path)
{
    const std::optional<std::string> found = findFileIgnoringCase(path);
    if (!found)
        return std::nullopt;
    return readWholeFile(*found);
}
