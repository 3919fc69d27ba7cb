#pragma once

#include "objloader.h"
#include "placedmodel.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The models of the open scene, read once and kept: each by its resolved path, re-read only when
// the file's size or modification time changes (or one of its libraries' does), its geometry
// compiled once per OpenGL context into a display list. A missing file, a missing library or a
// value that does not convert is reported once per version of the file, not on every frame.
class ModelLibrary
{
public:
    // Receives the errors that stop a model from being read (ModelConversionError,
    // ModelReadError) with the path of the model; the record then draws nothing.
    using ErrorHandler = std::function<void(const std::string& path, const std::exception& error)>;

    ModelLibrary();
    ~ModelLibrary();
    ModelLibrary(const ModelLibrary&) = delete;
    ModelLibrary& operator=(const ModelLibrary&) = delete;

    // Who is told of missing models and libraries; none by default.
    void setNotifier(ModelNotifier notifier);
    // Who is told of models that cannot be read; by default the notifier, caption "Load Model".
    void setErrorHandler(ErrorHandler handler);
    // The folder of the scene table's current file, where bare model names are looked up first.
    void setSceneDir(const std::string& dir);
    // Folders where a bare name not found beside the scene is looked up next, in order (the
    // user's models, then the shipped samples); none by default.
    void setModelDirs(std::vector<std::string> dirs);
    // The user's decimal separator, read besides "."; 0 (the default) takes the C locale's.
    void setDecimalSeparator(char separator);
    // The OpenGL context that the following draws happen in (any pointer that identifies it, e.g.
    // the QOpenGLContext); nullptr, the default, does for a program with one context.
    void setContext(const void* context);

    // Forgets every model and every report, as when a scene is opened: each model is read (and
    // reported) again at its next draw. Needs no current context; the display lists are deleted
    // at the next draw in theirs.
    void clear();
    // Deletes the display lists of `context`, which must be current, and forgets them; for a
    // context about to be destroyed.
    void releaseContext(const void* context);

    // Where the record's name is read from: a bare name (no "/" or "\") found in the scene's
    // folder is read there; else one the current directory holds, as it stands; else one found in
    // a model folder. Anything else (a full path, a name found nowhere) as it stands.
    std::string resolve(const std::string& fileName) const;
    // The model, read or refreshed as for drawing (reports included); nullptr when it cannot be
    // read. Valid until the next call on the library.
    const TModel* model(const std::string& fileName);
    // True when a model read so far, or a material library it asked for, was changed, created or
    // removed on disk since it was read or since the last call that said so: each change is told
    // once. A few stat calls per model, for a caller that polls.
    bool changedOnDisk();
    // Draws the model with the current matrices; nothing when it cannot be read. Needs the
    // library's context current.
    void draw(const std::string& fileName);

private:
    struct Entry;
    struct Report;

    Entry& refreshed(const std::string& fileName, std::vector<Report>& reports);
    void load(const std::string& path, Entry& entry, std::vector<Report>& reports);
    void retireLists(Entry& entry);
    void deleteRetiredLists();
    unsigned compiledList(Entry& entry);
    void deliver(const std::vector<Report>& reports);

    ModelNotifier m_notifier;
    ErrorHandler m_errorHandler;
    std::string m_sceneDir;
    std::vector<std::string> m_modelDirs;
    char m_separator = 0;
    const void* m_context = nullptr;
    std::unordered_map<std::string, std::unique_ptr<Entry>> m_entries;
    std::vector<std::pair<const void*, unsigned>> m_retired; // lists whose model is gone
};

// Draws one scene record of the model kind: scales by (sx, sy, sz), then translates by (x, y, z),
// then rotates by angle degrees about the axis, so the move is scaled with the model. The record's
// colour is not used: the model brings its own materials (one that selects none shows the record's
// material, which the renderer has set). Needs a current context, the camera matrix current and
// lighting on; leaves the matrix stack as it found it, also when the model cannot be read or an
// exception leaves.
void DrawModelRecord(ModelLibrary& library, const PlacedModel& model);
