#pragma once

namespace vantrel {

// Whether photos are taken the way their camera's orientation tag says they are to be seen
// (on, the default) or with their pixels as stored. One process-wide choice, read when a
// photo is opened, so that thumbnails, the preview, the photo's size and the export never
// disagree. Safe from any thread; a change applies to photos opened after it.
bool cameraOrientationApplied();
void setCameraOrientationApplied(bool applied);

} // namespace vantrel
