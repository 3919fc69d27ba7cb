#include "viewstate.h"

#include "localenumbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

const float lightStep = 0.03f;

} // namespace

void ViewState::lightUp()
{
    for (int c = 0; c < 3; ++c)
        lightLevel[size_t(c)] = std::min(1.0f, lightLevel[size_t(c)] + lightStep);
}

void ViewState::lightDown()
{
    for (int c = 0; c < 3; ++c)
        lightLevel[size_t(c)] = std::max(0.0f, lightLevel[size_t(c)] - lightStep);
}

void ViewState::restoreView()
{
    zoom = 0;
    cameraX = cameraY = cameraZ = 0;
    turn = tilt = 0;
    targetX = targetY = targetZ = 0;
}

QString ViewState::zoomText() const
{
    const double shown = zoom == 0 ? 0.0 : -zoom;
    if (std::fabs(shown) < 100)
        return QStringLiteral("Zoom: ") + formatFixed(shown, 1);
    // Fixed notation with two digits before the decimals gives way to an exponent: "1,5E2".
    return QStringLiteral("Zoom: ") + formatFloat(shown, 2);
}

QString ViewState::lightText() const
{
    return QStringLiteral("Luz: ") + formatFixed(lightLevel[0], 2);
}
