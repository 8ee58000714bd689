// STL comes from the core's own writer (shape/StlWriter), the one the
// viewer's saves use; the other formats from Assimp (AssimpFiles.cpp). The
// bytes then go through the platform's atomic writer.
#include "ExportWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "AssimpFiles.h"
#include "platform/files/AtomicWrite.h"
#include "shape/StlWriter.h"

namespace fs = std::filesystem;

namespace {

struct FormatEntry {
    const char* extension;
    SolidFormat format;
};

constexpr FormatEntry kFormats[] = {
    {".stl", SolidFormat::Stl}, {".obj", SolidFormat::Obj},     {".ply", SolidFormat::Ply},
    {".glb", SolidFormat::Glb}, {".3mf", SolidFormat::ThreeMf},
};

}  // namespace

bool SolidFormatWritten(SolidFormat format) {
    return format == SolidFormat::Stl || kAssimpFormats;
}

bool SolidFormatOf(const std::string& path, SolidFormat* format) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const FormatEntry& entry : kFormats) {
        if (extension == entry.extension) {
            *format = entry.format;
            return true;
        }
    }
    return false;
}

bool ObjNameAllowed(const std::string& fileName) {
    return std::none_of(fileName.begin(), fileName.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

bool WriteSolidFile(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                    const std::string& path, std::string* error) {
    if (solid.normals.size() != solid.positions.size()) {
        *error = "cannot write " + path + ": the solid has no normals";
        return false;
    }
    // A link at the path is followed, and the .mtl goes beside the file the
    // OBJ really is, named after it, so the OBJ finds it.
    std::string target;
    if (!ResolveFinalPath(path, &target, error)) return false;
    const fs::path resolved(target);
    const std::string fileName = resolved.filename().string();
    const std::string directory =
        resolved.parent_path().empty() ? std::string(".") : resolved.parent_path().string();
    if (format == SolidFormat::Obj && !ObjNameAllowed(fileName)) {
        *error = "cannot write " + path + ": the OBJ would name " + target +
                 " in its mtllib line, and that name holds a control character";
        return false;
    }

    std::vector<OutputFile> files;
    if (format == SolidFormat::Stl) {
        const std::vector<std::uint8_t> bytes = BinaryStl(solid);
        files.push_back({fileName, std::string(bytes.begin(), bytes.end())});
    } else if (!AssimpFiles(solid, colour, format, directory, fileName, &files, error)) {
        *error = "cannot write " + path + ": " + *error;
        return false;
    }
    std::vector<FileToWrite> writes;
    for (const OutputFile& file : files) {
        writes.push_back({directory + "/" + file.name, file.bytes});
    }
    // The target, named last, keeps the caller's spelling in messages.
    writes.back().path = path;
    return WriteFilesAtomically(writes, error);
}
