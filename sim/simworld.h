#pragma once

#include "affine.h"
#include "simrecord.h"

#include <QStringList>
#include <array>
#include <deque>
#include <memory>
#include <stdexcept>

class ModelLibrary;
class RecordTable;

// The records that cannot be simulated, one line each ("Objeto3: massa deve ser positiva");
// what() is the lines joined by newlines.
class SimBuildError : public std::runtime_error
{
public:
    explicit SimBuildError(const QStringList& problems);
    const QStringList& problems() const { return m_problems; }

private:
    QStringList m_problems;
};

// Where one record's body is after some simulated time.
struct SimBodyState
{
    // The rigid motion since the start, as glMultMatrixd takes it: drawn in front of the record's
    // own drawing it shows the body where it is now, and it is the identity at the start.
    std::array<double, 16> motion{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    SimVector centre{};          // the centre of mass
    SimVector velocity{};        // of the centre
    SimVector acceleration{};    // of the centre, over the last advance
    SimVector angularVelocity{}; // radians per second about this direction
};

// The scene's records as rigid bodies: a fixed step, gravity along -z for the bodies that have
// it, the records' friction and bounce. The table is read once, at construction, and never
// written. Rows are the table's 0-based rows; records that do not move keep the start state.
class SimWorld
{
public:
    static constexpr double stepSeconds = 1.0 / 240;
    static constexpr double gravity = 9.81;
    static constexpr double trailSeconds = 10;

    // Throws SimBuildError naming every record that cannot be simulated. Models are read through
    // `models` (nullptr: model records cannot be simulated).
    SimWorld(const RecordTable& table, ModelLibrary* models);
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    int rowCount() const;
    const SimRecord& record(int row) const;
    const SimBodyState& state(int row) const;
    bool isMoving(int row) const;
    // The simulated time: a whole number of steps.
    double time() const;
    // Runs the whole steps that fit in `seconds` plus what earlier calls left over; the caller
    // bounds `seconds` (the window gives at most a quarter of a second a frame).
    void advance(double seconds);

    // The row of the body the line from `from` along `direction` meets first, or -1; planes are
    // not looked for. Bodies are where they are now.
    int rowAlongRay(const SimVector& from, const SimVector& direction, double reach) const;

    // Whether the user may take hold of the body: a moving body with "UserMove" and an axis.
    bool canGrab(int row) const;
    // Holds the body where it is (false when it cannot be grabbed); it then goes only where
    // dragTo sends it, along its allowed axes, and pushes what it meets.
    bool grab(int row);
    // The held body's goal: `point` along its allowed axes, where it was grabbed along the others.
    void dragTo(const SimVector& point);
    // Puts the held body on its goal at once, with no time passing: for a paused world, where no
    // step would take it there.
    void placeHeld();
    // Lets the held body go with the speed it was dragged at.
    void release();
    int grabbedRow() const;

    // The centre's path over the last trailSeconds, oldest first: from the start for
    // "MostraRastroSempre", from the first release for "MostraRastroSolto", empty otherwise.
    const std::deque<SimVector>& trail(int row) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
