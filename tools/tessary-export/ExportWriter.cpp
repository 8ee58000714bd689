// STL comes from the core's own writer (shape/StlWriter), the one the
// viewer's saves use. The other formats: the solid as an Assimp scene (one
// node, one mesh, one material), exported with no post-processing of our
// own so the counts stay as built. Assimp's OBJ, PLY and glTF writers go
// through its in-memory blob interface and the bytes are written here,
// where every write, sync and close is checked; its 3MF writer opens the
// file itself, so that file is checked afterwards.
#include "ExportWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include <assimp/Exporter.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include "OutputFiles.h"
#include "shape/StlWriter.h"

namespace fs = std::filesystem;

namespace {

struct FormatEntry {
    const char* extension;
    SolidFormat format;
    const char* exporterId;  // Assimp's name for the writer; STL is our own
};

constexpr FormatEntry kFormats[] = {
    {".stl", SolidFormat::Stl, ""},        {".obj", SolidFormat::Obj, "obj"},
    {".ply", SolidFormat::Ply, "plyb"},    {".glb", SolidFormat::Glb, "glb2"},
    {".3mf", SolidFormat::ThreeMf, "3mf"},
};

std::string FailureOf(const Assimp::Exporter& exporter) {
    const std::string reason = exporter.GetErrorString();
    return reason.empty() ? "Assimp's writer failed" : reason;
}

const char* ExporterId(SolidFormat format) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.format == format) return entry.exporterId;
    }
    return "";
}

aiVector3D ToAi(const SolidVector& v) { return aiVector3D(v.x, v.y, v.z); }

void AllocateMesh(aiMesh& mesh, std::size_t vertexCount, std::size_t faceCount) {
    mesh.mVertices = new aiVector3D[vertexCount];
    mesh.mNormals = new aiVector3D[vertexCount];
    mesh.mNumVertices = static_cast<unsigned int>(vertexCount);
    mesh.mFaces = new aiFace[faceCount];
    mesh.mNumFaces = static_cast<unsigned int>(faceCount);
    for (std::size_t t = 0; t < faceCount; ++t) {
        mesh.mFaces[t].mIndices = new unsigned int[3];
        mesh.mFaces[t].mNumIndices = 3;
    }
}

// The solid's own vertices, normals and triangles.
void FillSharedMesh(aiMesh& mesh, const SolidMesh& solid) {
    AllocateMesh(mesh, solid.positions.size(), solid.triangles.size());
    for (std::size_t k = 0; k < solid.positions.size(); ++k) {
        mesh.mVertices[k] = ToAi(solid.positions[k]);
        mesh.mNormals[k] = ToAi(solid.normals[k]);
    }
    for (std::size_t t = 0; t < solid.triangles.size(); ++t) {
        for (int k = 0; k < 3; ++k) {
            mesh.mFaces[t].mIndices[k] = static_cast<unsigned int>(solid.triangles[t].v[k]);
        }
    }
}

std::unique_ptr<aiScene> MakeScene(const SolidMesh& solid, const D3DCOLORVALUE& colour,
                                   SolidFormat format) {
    auto scene = std::make_unique<aiScene>();
    // Each object is handed to the scene as soon as it is made; the scene's
    // destructor frees them all.
    auto* mesh = new aiMesh;
    scene->mMeshes = new aiMesh* [1] { mesh };
    scene->mNumMeshes = 1;
    auto* material = new aiMaterial;
    scene->mMaterials = new aiMaterial* [1] { material };
    scene->mNumMaterials = 1;
    // The 3MF writer only looks at the root's children.
    scene->mRootNode = new aiNode("tessary");
    auto* node = new aiNode("supershape");
    scene->mRootNode->addChildren(1, &node);
    node->mMeshes = new unsigned int[1]{0};
    node->mNumMeshes = 1;

    const aiString name("supershape");
    material->AddProperty(&name, AI_MATKEY_NAME);
    // The viewer's material alpha is 0 but it draws shapes opaque. Assimp
    // 5.2's 3MF writer truncates each channel to 0 or 1 before scaling it
    // to a byte, which would make every shape black; without a colour it
    // writes white.
    const aiColor4D rgba(colour.r, colour.g, colour.b, 1.0f);
    if (format != SolidFormat::ThreeMf) {
        material->AddProperty(&rgba, 1, AI_MATKEY_COLOR_DIFFUSE);
        material->AddProperty(&rgba, 1, AI_MATKEY_BASE_COLOR);
    }

    mesh->mName = name;
    mesh->mMaterialIndex = 0;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    FillSharedMesh(*mesh, solid);
    // Only PLY carries the colour per vertex: the OBJ has its .mtl, and in
    // glTF vertex colours would multiply the material's colour.
    if (format == SolidFormat::Ply) {
        mesh->mColors[0] = new aiColor4D[mesh->mNumVertices];
        std::fill(mesh->mColors[0], mesh->mColors[0] + mesh->mNumVertices, rgba);
    }
    return scene;
}

std::uint32_t Little(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k) value = (value << 8) | bytes[at + k];
    return value;
}

// Whether the zip archive's directory lists `entry` with some content. The
// directory ends the archive: a 22-byte record (Assimp writes no archive
// comment) gives its size and offset; each of its records holds an entry's
// sizes and name.
bool ZipListsEntry(const std::vector<unsigned char>& zip, std::string_view entry) {
    if (zip.size() < 22 || Little(zip, zip.size() - 22, 4) != 0x06054b50u) return false;
    const std::size_t end = zip.size() - 22;
    std::size_t at = Little(zip, end + 16, 4);
    if (at > end) return false;
    while (at + 46 <= end && Little(zip, at, 4) == 0x02014b50u) {
        const std::uint32_t uncompressed = Little(zip, at + 24, 4);
        const std::size_t nameLength = Little(zip, at + 28, 2);
        const std::size_t next =
            at + 46 + nameLength + Little(zip, at + 30, 2) + Little(zip, at + 32, 2);
        if (next > end) return false;
        const std::string_view name(reinterpret_cast<const char*>(&zip[at + 46]), nameLength);
        if (name == entry) return uncompressed > 0;
        at = next;
    }
    return false;
}

// Assimp's 3MF writer opens the file itself and reports no failed write:
// its zip library drops an entry it cannot write and still closes a valid
// archive, and Assimp's reader stops the process on such an archive. So the
// archive is synced and checked for its model here.
bool CheckAndSync3mf(const fs::path& path, std::string* error) {
    std::vector<unsigned char> bytes;
    if (!ReadAndSync(path, &bytes, error)) return false;
    if (!ZipListsEntry(bytes, "3D/3DModel.model")) {
        *error = "the archive was not written whole";
        return false;
    }
    return true;
}

// Assimp 5.2's binary PLY writer declares each vertex colour as four uchar
// properties but writes four floats (its issue 3827, since fixed upstream),
// so no reader can follow the file. When the vertex data has the floats'
// length, each colour is repacked as the header declares it; output of a
// writer without the fault has the declared length and is left as it is.
bool RepairPlyColours(const unsigned char* data, std::size_t size, const aiMesh& mesh,
                      std::vector<unsigned char>* out, std::string* error) {
    constexpr std::string_view kEnd = "end_header\n";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t body = text.find(kEnd);
    if (body == std::string_view::npos ||
        text.substr(0, body).find("property uchar red\n") == std::string_view::npos) {
        *error = "the PLY writer wrote an unexpected header";
        return false;
    }
    const std::size_t start = body + kEnd.size();
    constexpr std::size_t kPositionNormal = 6 * sizeof(float);
    const std::size_t faceBytes = std::size_t{mesh.mNumFaces} * (1 + 3 * sizeof(std::uint32_t));
    const std::size_t declared = std::size_t{mesh.mNumVertices} * (kPositionNormal + 4) + faceBytes;
    const std::size_t floats = std::size_t{mesh.mNumVertices} * (kPositionNormal + 16) + faceBytes;
    out->assign(data, data + start);
    if (size - start == declared) {
        out->insert(out->end(), data + start, data + size);
        return true;
    }
    if (size - start != floats) {
        *error = "the PLY writer wrote an unexpected length";
        return false;
    }
    const unsigned char* in = data + start;
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        out->insert(out->end(), in, in + kPositionNormal);
        in += kPositionNormal;
        for (int channel = 0; channel < 4; ++channel) {
            float value = 0.0f;
            std::memcpy(&value, in, sizeof value);
            in += sizeof value;
            out->push_back(
                static_cast<unsigned char>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)));
        }
    }
    out->insert(out->end(), in, data + size);
    return true;
}

// Runs Assimp's writer into `scratch`, under the target's own file name (the
// OBJ names its .mtl after it). The files written, the target's last.
bool ExportInto(const aiScene& scene, SolidFormat format, const fs::path& scratch,
                const std::string& fileName, std::vector<std::string>* written,
                std::string* error) {
    Assimp::Exporter exporter;
    const char* id = ExporterId(format);
    if (format == SolidFormat::ThreeMf) {
        const fs::path file = scratch / fileName;
        if (exporter.Export(&scene, id, file.c_str(), 0) != AI_SUCCESS) {
            *error = FailureOf(exporter);
            return false;
        }
        if (!CheckAndSync3mf(file, error)) return false;
        written->push_back(fileName);
        return true;
    }

    Assimp::ExportProperties properties;
    properties.SetPropertyString(AI_CONFIG_EXPORT_BLOB_NAME, fileName);
    const aiExportDataBlob* blob = exporter.ExportToBlob(&scene, id, 0, &properties);
    if (blob == nullptr) {
        *error = FailureOf(exporter);
        return false;
    }
    // The first blob is the target; any others (the .mtl) go first.
    for (const aiExportDataBlob* part = blob; part != nullptr; part = part->next) {
        const std::string name = part == blob ? fileName : part->name.C_Str();
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
            *error = "the writer named a file '" + name + "'";
            return false;
        }
        const auto* data = static_cast<const unsigned char*>(part->data);
        std::size_t size = part->size;
        std::vector<unsigned char> repaired;
        if (format == SolidFormat::Ply && part == blob) {
            if (!RepairPlyColours(data, size, *scene.mMeshes[0], &repaired, error)) return false;
            data = repaired.data();
            size = repaired.size();
        }
        if (!WriteAndSync(scratch / name, data, size, error)) return false;
        if (part != blob) written->push_back(name);
    }
    written->push_back(fileName);
    return true;
}

}  // namespace

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

bool WriteSolidFile(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                    const std::string& path, std::string* error) {
    if (solid.normals.size() != solid.positions.size()) {
        *error = "the solid has no normals";
        return false;
    }
    const fs::path target(path);
    const std::string fileName = target.filename().string();
    const CScratchDirectory scratch(target);
    if (!scratch.Created(error)) return false;

    std::vector<std::string> written;
    if (format == SolidFormat::Stl) {
        const std::vector<std::uint8_t> bytes = BinaryStl(solid);
        if (!WriteAndSync(scratch.Path() / fileName, bytes.data(), bytes.size(), error))
            return false;
        written.push_back(fileName);
    } else {
        // Assimp reports through its return values, but it is a library that
        // may throw (memory, or a writer's own error); that stops here.
        try {
            const std::unique_ptr<aiScene> scene = MakeScene(solid, colour, format);
            if (!ExportInto(*scene, format, scratch.Path(), fileName, &written, error))
                return false;
        } catch (const std::exception& thrown) {
            *error = thrown.what();
            return false;
        }
    }
    return RenameIntoPlace(scratch.Path(), written,
                           target.parent_path().empty() ? fs::path(".") : target.parent_path(),
                           error);
}
