#pragma once

class RecordTable;

// Appends `count` records cycling through sphere, capsule, cube and plane, of assorted sizes,
// places, turns and colours inside the view; every fourth sphere is translucent. The same
// records every time, so that benchmarks of drawing and of picking measure one scene.
void fillBenchScene(RecordTable& table, int count);
