#pragma once

namespace quenlo {

// Which of the standard streams the program was started without.
struct MissingStreams {
    bool in = false;
    bool out = false;
    bool err = false;
};

// Makes sure standard input, output and error are there, each missing one
// opened on the null device, so that no file the program opens later can
// take its place and receive text meant for the user. Called first thing in
// main(). On Windows, whose files never take a standard handle's place,
// only tells which are missing, or there but unusable for writing.
MissingStreams openstandardstreams();

} // namespace quenlo
