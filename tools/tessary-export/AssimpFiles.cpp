// The formats other than STL: the solid as an Assimp scene (one node, one
// mesh, one material), exported with no post-processing of our own so the
// counts stay as built. Assimp's OBJ, PLY and glTF writers go through its
// in-memory blob interface; its 3MF writer opens the file itself, so it
// writes into a scratch directory and the file is read back and checked.
#include "AssimpFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>

#include <assimp/Exporter.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include "platform/files/CScratchDirectory.h"
#include "platform/files/ReadRegularFile.h"

namespace {

// Far above any 3MF of the 64 x 64 solid (under a megabyte).
constexpr std::size_t kMax3mfBytes = std::size_t{256} << 20;

std::string FailureOf(const Assimp::Exporter& exporter) {
    const std::string reason = exporter.GetErrorString();
    return reason.empty() ? "Assimp's writer failed" : reason;
}

// Assimp's name for the format's writer.
const char* ExporterId(SolidFormat format) {
    switch (format) {
        case SolidFormat::Obj: return "obj";
        case SolidFormat::Ply: return "plyb";
        case SolidFormat::Glb: return "glb2";
        case SolidFormat::ThreeMf: return "3mf";
        case SolidFormat::Stl: break;
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

std::uint32_t Little(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + k]);
    }
    return value;
}

// Whether the zip archive's directory lists `entry` with some content. The
// directory ends the archive: a 22-byte record (Assimp writes no archive
// comment) gives its size and offset; each of its records holds an entry's
// sizes and name.
bool ZipListsEntry(std::string_view zip, std::string_view entry) {
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
        const std::string_view name = zip.substr(at + 46, nameLength);
        if (name == entry) return uncompressed > 0;
        at = next;
    }
    return false;
}

// Assimp's 3MF writer opens the file itself and reports no failed write:
// its zip library drops an entry it cannot write and still closes a valid
// archive, and Assimp's reader stops the process on such an archive. So it
// writes into a scratch directory beside the target, and the archive is
// read back and checked for its model there.
bool Export3mf(const aiScene& scene, const std::string& directory, const std::string& fileName,
               std::string* bytes, std::string* error) {
    CScratchDirectory scratch(directory);
    if (!scratch.Created(error)) return false;
    const std::string file = scratch.FilePath(fileName);
    Assimp::Exporter exporter;
    if (exporter.Export(&scene, ExporterId(SolidFormat::ThreeMf), file.c_str(), 0) != AI_SUCCESS) {
        *error = FailureOf(exporter);
        return false;
    }
    if (!ReadRegularFile(file, kMax3mfBytes, bytes, error)) return false;
    if (!ZipListsEntry(*bytes, "3D/3DModel.model")) {
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
                      std::string* out, std::string* error) {
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
    out->assign(reinterpret_cast<const char*>(data), start);
    if (size - start == declared) {
        out->append(reinterpret_cast<const char*>(data) + start, size - start);
        return true;
    }
    if (size - start != floats) {
        *error = "the PLY writer wrote an unexpected length";
        return false;
    }
    const unsigned char* in = data + start;
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        out->append(reinterpret_cast<const char*>(in), kPositionNormal);
        in += kPositionNormal;
        for (int channel = 0; channel < 4; ++channel) {
            float value = 0.0f;
            std::memcpy(&value, in, sizeof value);
            in += sizeof value;
            out->push_back(
                static_cast<char>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)));
        }
    }
    out->append(reinterpret_cast<const char*>(in), static_cast<std::size_t>(data + size - in));
    return true;
}

// Runs Assimp's writer under the target's own file name (the OBJ names its
// .mtl after it). The files to write, the target's last.
bool ExportFiles(const aiScene& scene, SolidFormat format, const std::string& directory,
                 const std::string& fileName, std::vector<OutputFile>* files, std::string* error) {
    if (format == SolidFormat::ThreeMf) {
        files->push_back({fileName, ""});
        return Export3mf(scene, directory, fileName, &files->back().bytes, error);
    }
    Assimp::Exporter exporter;
    Assimp::ExportProperties properties;
    properties.SetPropertyString(AI_CONFIG_EXPORT_BLOB_NAME, fileName);
    const aiExportDataBlob* blob =
        exporter.ExportToBlob(&scene, ExporterId(format), 0, &properties);
    if (blob == nullptr) {
        *error = FailureOf(exporter);
        return false;
    }
    // The first blob is the target; any others (the .mtl) go first.
    for (const aiExportDataBlob* part = blob->next; part != nullptr; part = part->next) {
        const std::string name = part->name.C_Str();
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
            *error = "the writer named a file '" + name + "'";
            return false;
        }
        files->push_back({name, std::string(static_cast<const char*>(part->data), part->size)});
    }
    const auto* data = static_cast<const unsigned char*>(blob->data);
    files->push_back({fileName, ""});
    if (format == SolidFormat::Ply) {
        return RepairPlyColours(data, blob->size, *scene.mMeshes[0], &files->back().bytes, error);
    }
    files->back().bytes.assign(reinterpret_cast<const char*>(data), blob->size);
    return true;
}

}  // namespace

const bool kAssimpFormats = true;

bool AssimpFiles(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                 const std::string& directory, const std::string& fileName,
                 std::vector<OutputFile>* files, std::string* error) {
    // Assimp reports through its return values, but it is a library that
    // may throw (memory, or a writer's own error); that stops here.
    try {
        const std::unique_ptr<aiScene> scene = MakeScene(solid, colour, format);
        return ExportFiles(*scene, format, directory, fileName, files, error);
    } catch (const std::exception& thrown) {
        *error = thrown.what();
        return false;
    }
}
