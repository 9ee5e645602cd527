#pragma once
// The images of a texture, level by level and face by face, as sampling reads them; with
// automatic mipmaps, the lower levels are rebuilt from level 0 whenever it has changed.
#include "platform/d3d9/image.h"

#include <memory>
#include <mutex>
#include <vector>

class TTextureStore
{
public:
    // `levels` 0 makes a full chain down to 1x1.
    TTextureStore(D3DRESOURCETYPE kind, D3DFORMAT format, UINT width, UINT height, UINT depth, UINT levels,
                  UINT faces, bool autoGenerate);
    virtual ~TTextureStore() = default;

    D3DRESOURCETYPE Kind() const { return kind_; }
    D3DFORMAT StoreFormat() const { return images_[0]->Format(); }
    UINT StoredLevels() const { return levels_; }
    UINT Faces() const { return faces_; }
    TImage& Image(UINT face, UINT level) { return *images_[face * levels_ + level]; }
    bool AutoGenerates() const { return autoGenerate_; }

    // Brings automatic mipmaps up to date; called before a draw samples the texture.
    void PrepareForSampling();
    // Box-filters every level from the one above it.
    void GenerateLevels();

    static UINT FullChainLength(UINT width, UINT height, UINT depth);

private:
    D3DRESOURCETYPE kind_;
    UINT levels_, faces_;
    bool autoGenerate_;
    std::vector<std::unique_ptr<TImage>> images_;
    std::mutex generateMutex_;
    std::uint32_t generatedFrom_ = 0;
};
