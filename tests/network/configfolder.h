#pragma once
#include <cstdlib>
#include <string>

// The key store in the folder's "config", for the object's life.
class TConfigFolder
{
public:
    explicit TConfigFolder(const std::string& folder) : m_Old(std::getenv("XDG_CONFIG_HOME") ?: "")
    {
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    }
    ~TConfigFolder() { m_Old.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", m_Old.c_str(), 1); }

private:
    std::string m_Old;
};
