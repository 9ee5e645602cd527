#pragma once
// TStateLoadCheck: the caller's part of a state load, run before the load is kept. An image
// read as it is unpacked is only known whole at its end, after the objects have taken it:
// the check reads what follows the passes and says whether the image is whole, and the state
// manager undoes a load whose check fails.
class TStream;

class TStateLoadCheck
{
public:
    virtual ~TStateLoadCheck() = default;
    // passesRead: the objects have loaded the passes and the stream stands after them.
    // Otherwise the load waits for its repository and the stream stands after the header.
    virtual bool IsWhole(TStream& stream, bool passesRead) = 0;
};
