#pragma once

#include "modelio.h"
#include "tmodel.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The group that faces and material selections go to: the last one, or, in a file whose faces
// come before any "g" line, a first group of its own named "", made here.
TGroup& currentGroup(TModel& model);

// The group takes the material named, ignoring case; with duplicate names the last definition
// wins, and an unknown name leaves the group as it was.
void selectMaterial(const TModel& model, TGroup& group, std::string_view name);

// The line rules of the model file (see objloader.h), over a text given whole or chunk by chunk.
//
// Plain "v", "vn", "vt" and "f" lines, nearly every line of a large file, are read straight from
// the buffer; any line that is not exactly of those plain forms goes through the general rules,
// so both ways read every line alike.
//
// A parser can also read a later part of a file on its own, into a model of its own, while
// another reads the part before it (objsplit.h). Lines there are read only where they do not
// depend on what came before: positive indices, vertex data, groups. A material selection is kept
// aside until the materials are known. The part stops, before the line, at the first line that
// needs more (a library to read, a negative index) or does not convert: the rest is read later,
// after the parts are joined, as one parser would have read it.
class ObjParser
{
public:
    // A material selection read in a later part: the part's group and the name selected.
    struct Selection
    {
        int32_t Group = 0;
        std::string Name;
    };

    // Reads into model; atStart: the text begins the file, so a byte-order mark may come first.
    ObjParser(TModel& model, const ModelIO& io, char separator, bool atStart = true);

    // Reads a later part of a file into part, which it empties first. The part's group 1 stands
    // for the group current where the part begins, which only the part before knows.
    static ObjParser forLaterPart(TModel& part, char separator);

    // Reads the complete lines of text (all of it when it is the whole text) and returns how many
    // bytes they took; for a later part, also up to where it stopped.
    size_t parse(std::string_view text, bool wholeText);

    // How many bytes the text has in all, when it is known: the lists then reserve ahead for what
    // is still to come, at the pace they have been growing.
    void expectBytes(uint64_t total) { m_expectedBytes = total; }

    // A later part stops at the next line it comes to, within 256 KiB, once *flag is set: the
    // reader of the part before, done first, then reads the rest itself.
    void stopWhen(const std::atomic<bool>* flag) { m_stopWhen = flag; }

    // A later part that stopped before a line it could not read on its own, or when asked.
    bool stopped() const { return m_stopped; }
    const std::vector<Selection>& selections() const { return m_selections; }

private:
    struct Growth
    {
        uint64_t since = UINT64_MAX; // the last check at which the list had not grown
        size_t sizeThen = 0;         // and its size then
        template <typename List>
        void reserveAhead(List& list, uint64_t done, uint64_t total);
    };

    const char* fastLine(const char* p);
    template <size_t N, bool OneMore, typename List>
    const char* fastValues(const char* p, List& list, int32_t& count);
    const char* fastFace(const char* p);
    const char* generalLine(const char* p, const char* end, bool wholeText);
    void readLine(std::string_view line);
    bool needsWhatCameBefore(std::string_view line) const;
    void dropPartialLine();
    void reserveAhead(uint64_t done);

    void dispatch(std::string_view line);
    void readVertexData(std::string_view line);
    void readTexCoord(std::string_view line);
    void readGroup(std::string_view line);
    void readMaterialSelection(std::string_view line);
    void readFace(std::string_view line);
    TCorner readCorner(const char*& p, const char* end, TFace& face) const;

    TModel& m_model;
    const ModelIO& m_io;
    char m_separator;
    bool m_atStart; // nothing of the text seen yet, so a byte-order mark may come
    bool m_laterPart = false;
    bool m_stopped = false;
    std::string m_joined; // a line and its continuation; reused, so it rarely allocates
    std::vector<Selection> m_selections;
    const std::atomic<bool>* m_stopWhen = nullptr;
    uint64_t m_seenBytes = 0; // taken by earlier calls to parse
    uint64_t m_expectedBytes = 0;
    int32_t m_grownGroup = 0;
    Growth m_vertexGrowth, m_normalGrowth, m_texCoordGrowth, m_cornerGrowth, m_faceGrowth;
};
