#pragma once
// TGameNameTexts: the texts of the names the game forms its lookups from. A level's images carry
// name ids only, yet a unit finds its pieces by names made from its prop data's name ("%s_Veh",
// "%s_Skeleton", ...): the game logic keeps the texts of its units' prop-data names as one data
// block of its own, in the order of its units and their pools' forms (the same bytes on every
// run), and registers them when an image brings them.
#include "core/system/templates/darray.h"

class TAICommonUnit;

// One text of the block: its id, its length without the end, the text and its end.
constexpr u32 GAME_NAME_TEXT_MAX = 255;

class TGameNameTexts
{
public:
    // The block for the units: a count, then each text once as {u32 id, u32 length, bytes, 0}.
    DArray<u8>& Build(const DArray<TAICommonUnit*>& units);
    // Registers the texts of a loaded block. A block that is cut short, a text longer than 255,
    // or a text whose id is not its own is refused whole with an error line (nothing
    // registered); answers 1 then, else 0.
    static i32 Register(const void* data, i32 size);

private:
    DArray<u8> m_aBlock;
};
