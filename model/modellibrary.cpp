#include "modellibrary.h"

#include "modeldraw.h"
#include "modelerror.h"
#include "modelfiles.h"

#include <GL/gl.h>
#include <algorithm>

namespace {

// A material library as a model named it, where it was found (empty when it was not) and the
// stamp of the file found. Names are upper-cased by the reader, so finding one may take a look
// through its folder: a library once found is only looked at again, a missing one looked for.
struct LibraryStamp
{
    std::string asked;
    std::string found;
    FileStamp stamp;
};

} // namespace

struct ModelLibrary::Entry
{
    bool read = false;                   // false until the first attempt
    bool usable = false;                 // false when the model could not be read: it draws nothing
    FileStamp stamp;                     // of the model file when it was read
    std::vector<LibraryStamp> libraries; // every library the model asked for
    std::vector<FileStamp> seenOnDisk;   // the model's and its libraries' stamps last looked at
    TModel model;
    std::vector<std::pair<const void*, unsigned>> lists; // one display list per context
};

// Something to tell once the library is consistent again: a message, or an error.
struct ModelLibrary::Report
{
    std::string caption;
    std::string text;
    std::exception_ptr error;
    std::string path; // of the model an error stopped
};

namespace {

LibraryStamp stampLibrary(const std::string& asked)
{
    const std::optional<std::string> found = findFileIgnoringCase(asked);
    return {asked, found.value_or(std::string()), found ? fileStamp(*found) : FileStamp{}};
}

// The stamps of the model file and of each library it asked for, as the read took them.
std::vector<FileStamp> stampsAtRead(const FileStamp& stamp,
                                    const std::vector<LibraryStamp>& libraries)
{
    std::vector<FileStamp> stamps{stamp};
    for (const LibraryStamp& library : libraries)
        stamps.push_back(library.stamp);
    return stamps;
}

// The stamps of the model file and of each library it asked for, as the files are now.
std::vector<FileStamp> stampsOnDisk(const std::string& path,
                                    const std::vector<LibraryStamp>& libraries)
{
    std::vector<FileStamp> stamps{fileStamp(path)};
    for (const LibraryStamp& library : libraries) {
        const std::optional<std::string> found =
            library.found.empty() ? findFileIgnoringCase(library.asked) : library.found;
        stamps.push_back(found ? fileStamp(*found) : FileStamp{});
    }
    return stamps;
}

std::string inFolder(std::string dir, const std::string& fileName)
{
    if (dir.back() != '/' && dir.back() != '\\')
        dir += '/';
    return dir + fileName;
}

// Deletes the display lists of `context`, which must be current, and drops them from lists.
void deleteListsOf(const void* context, std::vector<std::pair<const void*, unsigned>>& lists)
{
    const auto ofContext = [context](const std::pair<const void*, unsigned>& list) {
        if (list.first != context)
            return false;
        glDeleteLists(list.second, 1);
        return true;
    };
    lists.erase(std::remove_if(lists.begin(), lists.end(), ofContext), lists.end());
}

} // namespace

ModelLibrary::ModelLibrary() = default;
ModelLibrary::~ModelLibrary() = default;

void ModelLibrary::setNotifier(ModelNotifier notifier)
{
    m_notifier = std::move(notifier);
}

void ModelLibrary::setErrorHandler(ErrorHandler handler)
{
    m_errorHandler = std::move(handler);
}

void ModelLibrary::setSceneDir(const std::string& dir)
{
    m_sceneDir = dir;
}

void ModelLibrary::setDecimalSeparator(char separator)
{
    m_separator = separator;
}

void ModelLibrary::setContext(const void* context)
{
    m_context = context;
}

void ModelLibrary::clear()
{
    for (auto& [path, entry] : m_entries)
        retireLists(*entry);
    m_entries.clear();
}

void ModelLibrary::releaseContext(const void* context)
{
    for (auto& [path, entry] : m_entries)
        deleteListsOf(context, entry->lists);
    deleteListsOf(context, m_retired);
}

void ModelLibrary::setModelDirs(std::vector<std::string> dirs)
{
    m_modelDirs = std::move(dirs);
}

std::string ModelLibrary::resolve(const std::string& fileName) const
{
    if (fileName.empty() || fileName.find_first_of("/\\") != std::string::npos)
        return fileName;
    if (!m_sceneDir.empty()) {
        const std::string besideScene = inFolder(m_sceneDir, fileName);
        if (isRegularFile(besideScene))
            return besideScene;
    }
    if (m_modelDirs.empty() || isRegularFile(fileName))
        return fileName;
    for (const std::string& dir : m_modelDirs) {
        if (dir.empty())
            continue;
        const std::string inModels = inFolder(dir, fileName);
        if (isRegularFile(inModels))
            return inModels;
    }
    return fileName;
}

const TModel* ModelLibrary::model(const std::string& fileName)
{
    std::vector<Report> reports;
    refreshed(fileName, reports);
    deliver(reports);
    // Looked up again: whoever was told may have cleared the library.
    const auto found = m_entries.find(resolve(fileName));
    return found != m_entries.end() && found->second->usable ? &found->second->model : nullptr;
}

bool ModelLibrary::changedOnDisk()
{
    bool changed = false;
    for (auto& [path, entry] : m_entries) {
        if (!entry->read)
            continue;
        std::vector<FileStamp> now = stampsOnDisk(path, entry->libraries);
        if (now != entry->seenOnDisk) {
            entry->seenOnDisk = std::move(now);
            changed = true;
        }
    }
    return changed;
}

void ModelLibrary::draw(const std::string& fileName)
{
    deleteRetiredLists();
    std::vector<Report> reports;
    Entry& entry = refreshed(fileName, reports);
    if (entry.usable) {
        if (const unsigned list = compiledList(entry))
            glCallList(list);
        else
            DrawModelJoined(entry.model);
    }
    // Told last: the notifier may run a modal loop that draws or clears the library again.
    deliver(reports);
}

ModelLibrary::Entry& ModelLibrary::refreshed(const std::string& fileName,
                                             std::vector<Report>& reports)
{
    const std::string path = resolve(fileName);
    std::unique_ptr<Entry>& slot = m_entries[path];
    if (!slot)
        slot = std::make_unique<Entry>();
    if (!slot->read ||
        stampsOnDisk(path, slot->libraries) != stampsAtRead(slot->stamp, slot->libraries)) {
        retireLists(*slot);
        load(path, *slot, reports);
    }
    return *slot;
}

void ModelLibrary::load(const std::string& path, Entry& entry, std::vector<Report>& reports)
{
    entry = Entry();
    entry.read = true;
    entry.stamp = fileStamp(path);
    ModelIO io;
    io.decimalSeparator = m_separator;
    io.notify = [&reports](const std::string& caption, const std::string& text) {
        reports.push_back({caption, text, nullptr, {}});
    };
    io.openLibrary = [&entry](const std::string& libraryPath) -> std::optional<std::string> {
        entry.libraries.push_back(stampLibrary(libraryPath));
        const std::string& found = entry.libraries.back().found;
        if (found.empty())
            return std::nullopt;
        return readWholeFile(found);
    };
    try {
        entry.model = LoadModel(path, io);
        ComputeModelBounds(entry.model);
        entry.usable = true;
    } catch (const ModelError&) {
        entry.model = TModel();
        reports.push_back({"Load Model", {}, std::current_exception(), path});
    }
    // The stamps the read itself took: looking again would cost as many stat calls (and folder
    // listings for missing libraries), and would hide a change made while the file was read.
    entry.seenOnDisk = stampsAtRead(entry.stamp, entry.libraries);
}

void ModelLibrary::retireLists(Entry& entry)
{
    m_retired.insert(m_retired.end(), entry.lists.begin(), entry.lists.end());
    entry.lists.clear();
}

void ModelLibrary::deleteRetiredLists()
{
    deleteListsOf(m_context, m_retired);
}

// The model's display list in the current context, compiled at its first draw there; 0 when
// OpenGL has no list to give, and the model is then drawn call by call.
unsigned ModelLibrary::compiledList(Entry& entry)
{
    for (const auto& [context, list] : entry.lists) {
        if (context == m_context)
            return list;
    }
    const GLuint list = glGenLists(1);
    if (list == 0)
        return 0;
    glNewList(list, GL_COMPILE);
    DrawModelJoined(entry.model);
    glEndList();
    entry.lists.emplace_back(m_context, list);
    return list;
}

void ModelLibrary::deliver(const std::vector<Report>& reports)
{
    for (const Report& report : reports) {
        if (!report.error) {
            if (m_notifier)
                m_notifier(report.caption, report.text);
            continue;
        }
        try {
            std::rethrow_exception(report.error);
        } catch (const std::exception& error) {
            if (m_errorHandler)
                m_errorHandler(report.path, error);
            else if (m_notifier)
                m_notifier(report.caption, error.what());
        }
    }
}

namespace {

// The matrix pushed for a record is popped however the drawing ends.
class PushedMatrix
{
public:
    PushedMatrix() { glPushMatrix(); }
    ~PushedMatrix() { glPopMatrix(); }
    PushedMatrix(const PushedMatrix&) = delete;
    PushedMatrix& operator=(const PushedMatrix&) = delete;
};

} // namespace

void DrawModelRecord(ModelLibrary& library, const PlacedModel& model)
{
    PushedMatrix pushed;
    PlaceModel(model);
    library.draw(model.fileName);
}
