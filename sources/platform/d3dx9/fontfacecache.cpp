#include "platform/d3dx9/fontfacecache.h"

#include <map>
#include <mutex>
#include <strings.h>
#include <utility>

namespace
{
constexpr int kBoldWeight = 600;

struct TFaceFiles
{
    const char* faceName; // null: every other name
    const char* regular;
    const char* bold;
};

// The fonts the set-up installs, standing for the faces the data names.
const TFaceFiles kFaceFiles[] = {
    {"Arial", "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
     "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"},
    {"Calibri", "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf",
     "/usr/share/fonts/truetype/crosextra/Carlito-Bold.ttf"},
    {nullptr, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
};

std::mutex g_cacheMutex;
std::map<std::pair<std::string, int>, std::shared_ptr<TFontFace>> g_faces;
} // namespace

const char* TFontFaceCache::FontFile(const char* faceName, int weight)
{
    for (const TFaceFiles& entry : kFaceFiles)
        if (!entry.faceName || (faceName && strcasecmp(entry.faceName, faceName) == 0))
            return weight >= kBoldWeight ? entry.bold : entry.regular;
    return nullptr;
}

std::shared_ptr<TFontFace> TFontFaceCache::Find(const char* faceName, int height, int weight)
{
    const std::string file = FontFile(faceName, weight);
    const int pixels = TFontFace::EmPixels(file, height);
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    std::shared_ptr<TFontFace>& face = g_faces[{file, pixels}];
    if (!face)
    {
        auto made = std::make_shared<TFontFace>(file, pixels);
        if (!made->IsValid())
            return nullptr;
        face = std::move(made);
    }
    return face;
}
