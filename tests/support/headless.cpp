// Tests never wait for a user: message boxes go to standard error.
#include <cstdlib>

namespace
{
const int s_headless = setenv("VESTAMOR_HEADLESS", "1", 1);
}
