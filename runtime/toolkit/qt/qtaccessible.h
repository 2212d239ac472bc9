#pragma once

namespace quenlo {

// Tells assistive tools what a window built from its description is: the
// window as a window (Qt would call a plain widget a filler) and a read-only
// text box as text that can be read and selected but not edited. Installed
// once, for every window.
void installaccessibility();

} // namespace quenlo
