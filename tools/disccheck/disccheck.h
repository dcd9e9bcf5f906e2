// The disc authors' checker: checks a disc image's launcher folder with the
// launcher's own reading, probing and decision code, run on the simulated
// platform, and predicts what the launcher does on a given machine.
#ifndef DISCCHECK_DISCCHECK_H
#define DISCCHECK_DISCCHECK_H

#include <ostream>

namespace disccheck {

// The whole program: findings and predictions go to out, usage problems to
// err. Returns the exit status: 0 no error, 1 an error, 2 wrong usage or an
// unreadable folder or file.
int Main(int argc, const char *const *argv, std::ostream &out, std::ostream &err);

} // namespace disccheck

#endif
