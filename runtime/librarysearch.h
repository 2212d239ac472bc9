#pragma once

namespace quenlo {

// Makes the libraries the program loads later (those the Open dialog loads,
// for one) come from the system's own folder only, never from the
// program's folder or the working folder, which others may be able to write
// to (a portable copy unpacked in Downloads). Called first thing in main().
// Nothing to do where libraries are not looked for beside the program.
void loadsystemlibrariesonly();

} // namespace quenlo
