#pragma once
// A linked, empty cluster for every test, and a cyclic graph of every member kind to save.
#include "teststream.h"
#include "testtypes.h"

#include <gtest/gtest.h>

#include <memory>

// The tests read stored offsets of polymorphic test classes.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

class ClusterTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Shapes 0..3 (allocated one by one), groups 0..2, links 0..3, textures 0..2:
    // shape i -> next shape (a cycle); shape 0 -> group 1, all groups, links 0..1, texture 2 (any);
    // shape 1 -> no group, group 0 (any), links 2..3; shape 2 -> uninitialised group, shape 3
    // (any); shape 3 -> link 1 (any). Group j -> shape j and group 0. Link 0 -> shape 1,
    // link 1 -> texture 2, link 2 -> group 2, link 3 -> nothing.
    void BuildGraph();
    // Checks the graph above in whatever the managers hold now.
    void ExpectGraph();
    // Saves the shapes and the managed arrays.
    std::vector<u8> SaveAll();
    std::vector<u8> Save(std::initializer_list<TClusterManager*> managers);
    // Loads a copy kept alive by the fixture (objects stay where the image lies).
    i32 Load(const std::vector<u8>& image, u32 flags = 0);

    std::vector<std::unique_ptr<TTestShape>> m_Shapes;
    std::vector<std::unique_ptr<std::vector<u8>>> m_Images;
    std::vector<std::string> m_Journal;
};

// The image's array of a type: its count and the offset of its first object.
bool FindImageArray(const std::vector<u8>& image, u32 type, u32& count, u32& offset);
u32 ImageWord(const std::vector<u8>& image, u32 offset);
void SetImageWord(std::vector<u8>& image, u32 offset, u32 word);
// Replaces the image's user-id table with the pairs.
void SetUserIds(std::vector<u8>& image, const std::vector<std::pair<u32, u32>>& pairs);
