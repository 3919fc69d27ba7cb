#pragma once

class RecordTable;
struct ViewState;

// The frame drawn the plain way, as the reference the renderer must match pixel for pixel and the
// baseline its speed is measured against: every field looked up by name on every record, every
// sphere and capsule tessellated by a quadric of its own, each cube sent as 600 glBegin/glEnd
// pairs. Model records draw nothing. Needs the view set-up done and the context current.
void drawLiteralFrame(RecordTable& table, const ViewState& view);
