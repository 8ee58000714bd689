#include "platform/d3d9/gl/CGLShaderCache.h"

#include <cstdio>
#include <string>

#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLShaderSource.h"

namespace {

GLuint Compile(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "tessary gl: %s shader does not compile:\n%s\n",
                     type == GL_VERTEX_SHADER ? "vertex" : "fragment", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint Link(const GLShaderKey& key) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, BuildVertexShaderSource(key));
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, BuildFragmentShaderSource(key));
    GLuint program = 0;
    if (vs != 0 && fs != 0) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (ok != GL_TRUE) {
            char log[2048] = {};
            glGetProgramInfoLog(program, sizeof log, nullptr, log);
            std::fprintf(stderr, "tessary gl: shader program does not link:\n%s\n", log);
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vs != 0) glDeleteShader(vs);
    if (fs != 0) glDeleteShader(fs);
    CheckGLError("building a shader program");
    return program;
}

GLProgramLocations Locate(GLuint program) {
    GLProgramLocations at;
    auto loc = [program](const char* name) { return glGetUniformLocation(program, name); };
    at.screen = loc("uScreen");
    at.worldView = loc("uWorldView");
    at.projection = loc("uProjection");
    at.fixup = loc("uFixup");
    at.normalMatrix = loc("uNormalMatrix");
    at.lightToLight = loc("uLightToLight");
    at.lightDiffuse = loc("uLightDiffuse");
    at.lightSpecular = loc("uLightSpecular");
    at.lightAmbient = loc("uLightAmbient");
    at.materialDiffuse = loc("uMaterialDiffuse");
    at.materialAmbient = loc("uMaterialAmbient");
    at.materialSpecular = loc("uMaterialSpecular");
    at.materialEmissive = loc("uMaterialEmissive");
    at.materialPower = loc("uMaterialPower");
    at.globalAmbient = loc("uGlobalAmbient");
    at.colorSource = loc("uColorSource");
    at.localViewer = loc("uLocalViewer");
    at.normalizeNormals = loc("uNormalizeNormals");
    at.textureFactor = loc("uTextureFactor");
    at.alphaRef = loc("uAlphaRef");
    at.texture0 = loc("uTexture0");
    at.constantDiffuse = loc("uConstantDiffuse");
    return at;
}

}  // namespace

CGLProgram* CGLShaderCache::Get(const GLShaderKey& key) {
    if (last != nullptr && last->key == key) return last->name != 0 ? last : nullptr;
    CGLProgram* found = nullptr;
    for (const auto& p : programs) {
        if (p->key == key) {
            found = p.get();
            break;
        }
    }
    if (found == nullptr) {
        auto program = std::make_unique<CGLProgram>();
        program->key = key;
        program->name = Link(key);
        if (program->name != 0) {
            program->at = Locate(program->name);
        } else {
            ReportGLProblem("draws that need a shader program which does not build are skipped");
        }
        found = program.get();
        programs.push_back(std::move(program));
    }
    last = found;
    return found->name != 0 ? found : nullptr;
}

void CGLShaderCache::ForgetUploads() {
    for (const auto& p : programs) {
        p->uploaded.fill(0);
        p->hasConstantDiffuse = false;
    }
}

void CGLShaderCache::DeleteAll() {
    for (const auto& p : programs)
        if (p->name != 0) glDeleteProgram(p->name);
    programs.clear();
    last = nullptr;
}
