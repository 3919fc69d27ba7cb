#include "modelfiles.h"

#include "modelerror.h"
#include "textscan.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

} // namespace

std::string nativePath(const std::string& path)
{
    std::string result = path;
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

bool isRegularFile(const std::string& path)
{
    return !path.empty() && isFile(fs::path(nativePath(path)));
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

void FileReader::seek(uint64_t offset)
{
    if (offset > uint64_t(INT64_MAX) || fseeko(m_file, off_t(offset), SEEK_SET) != 0)
        throw cannotRead(m_path, errno ? errno : EINVAL);
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

namespace {

// The entry of `folder` called `name` but for case, of the kind `fits` takes: the exact name if
// there is one, else the first in name order, so that the choice does not hang on the order in
// which the folder lists its entries.
std::optional<fs::path> entryIgnoringCase(const fs::path& folder, const std::string& name,
                                          bool (*fits)(const fs::path&))
{
    if (fits(folder / name))
        return folder / name;
    std::optional<std::string> found;
    std::error_code error;
    const fs::path listed = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(listed, error), end; !error && it != end; it.increment(error)) {
        std::string candidate = it->path().filename().string();
        if (equalIgnoringCase(candidate, name) && (!found || candidate < *found) &&
            fits(folder / candidate))
            found = std::move(candidate);
    }
    if (!found)
        return std::nullopt;
    return folder / *found;
}

} // namespace

// Every part of the path is matched on its own: "mtllib mats/red.mtl" reaches the reader as
// "MATS/RED.MTL", and the folder is as likely as the file to have a name in lower case.
std::optional<std::string> findFileIgnoringCase(const std::string& path)
{
    if (isRegularFile(path))
        return nativePath(path);
    const fs::path wanted(nativePath(path));
    if (!wanted.has_filename())
        return std::nullopt;
    fs::path found = wanted.root_path();
    const fs::path parts = wanted.relative_path();
    for (auto part = parts.begin(); part != parts.end(); ++part) {
        const bool last = std::next(part) == parts.end();
        const std::optional<fs::path> entry =
            entryIgnoringCase(found, part->string(), last ? isFile : isFolder);
        if (!entry)
            return std::nullopt;
        found = *entry;
    }
    return found.string();
}

std::optional<std::string> readLibraryFile(const std::string& path)
{
    const std::optional<std::string> found = findFileIgnoringCase(path);
    if (!found)
        return std::nullopt;
    return readWholeFile(*found);
}
