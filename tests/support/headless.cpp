// Linked into every test program: tests never wait for a user, whatever display the
// environment names. Message boxes (an abort's among them) go to standard error and windows
// are off-screen.
#include <cstdlib>

namespace
{
const int s_nHeadless = setenv("VESTAMOR_HEADLESS", "1", 1);
}
