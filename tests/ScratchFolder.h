// A fresh folder under the system's temporary directory, removed with everything in it
// when the object goes: for tests that write fixtures or run programs in a folder of
// their own. Path() is empty when the folder could not be made.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class ScratchFolder
{
public:
    explicit ScratchFolder(const std::string& prefix = "kelvo")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }

    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }

    // Writes the bytes to name inside the folder; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::path file = path / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path path;
};
