#pragma once
// TScratchFolder: a fresh folder under /tmp for a test, removed with everything in it when the
// test is done, and the file helpers the tests read and write it with.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

class TScratchFolder
{
public:
    // The folder is "/tmp/vestamor_<owner>_XXXXXX"; a test that cannot have one fails.
    explicit TScratchFolder(const char* owner)
    {
        std::string pattern = std::string("/tmp/vestamor_") + owner + "_XXXXXX";
        const char* made = mkdtemp(pattern.data());
        if (!made)
            throw std::runtime_error("unable to make a scratch folder");
        m_Path = made;
    }
    ~TScratchFolder() { std::filesystem::remove_all(m_Path); }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::string& Path() const { return m_Path; }

    // Writes a file below the folder, making the folders on its way.
    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(m_Path + "/" + name).parent_path());
        std::ofstream(m_Path + "/" + name, std::ios::binary) << bytes;
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::vector<std::string> ReadLines(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(file, line))
            lines.push_back(line);
        return lines;
    }

private:
    std::string m_Path;
};
