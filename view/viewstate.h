#pragma once

#include <QString>
#include <array>

// What the view controls and the mouse change and every frame reads: zoom, light level, camera
// offsets, the mouse's turn of the eye and the point looked at, and the frame clock. One instance
// for the program; nothing of it is saved or reset by a scene.
struct ViewState
{
    double zoom = 0; // the view box spans -(10 + zoom) .. 10 + zoom on its shorter side
    std::array<float, 4> lightLevel{0.3f, 0.3f, 0.3f, 1.0f}; // diffuse RGBA of lights 1 to 3
    double cameraX = 0, cameraY = 0, cameraZ = 0;            // added to the eye at (5, 5, 2.5)
    double frameClock = 0; // grows by 0.1 a tick; turns spheres' axes

    // The mouse's share: the eye turned by `turn` degrees about the vertical through the point
    // looked at and tilted by `tilt` degrees towards z, and that point moved to `target`. All zero
    // until the mouse moves them, and then the eye is exactly where the offsets put it.
    double turn = 0, tilt = 0;
    double targetX = 0, targetY = 0, targetZ = 0;

    // Back to the eye at (5, 5, 2.5) looking at the origin with zoom 0; the light level and the
    // clock stay as they are.
    void restoreView();

    // The zoom arrows: up brings the scene closer. No bound either way.
    void zoomUp() { zoom -= 1; }
    void zoomDown() { zoom += 1; }
    // The light arrows: red, green and blue move by 0.03 and stay within 0..1.
    void lightUp();
    void lightDown();

    // "Zoom: 1,0" after one click up: -zoom with one decimal in the user's locale; from a
    // magnitude of 100 the number is written with an exponent ("Zoom: 1E2").
    QString zoomText() const;
    // "Luz: 0,30": the red light level with two decimals.
    QString lightText() const;
};
