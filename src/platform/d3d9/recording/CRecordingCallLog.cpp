#include "platform/d3d9/recording/CRecordingCallLog.h"

#include <utility>

void CRecordingCallLog::InjectFailure(std::string name, HRESULT result, int skip, int times) {
    failures.push_back(Failure{std::move(name), result, skip, times});
}

std::vector<std::string> CRecordingCallLog::Names() const {
    std::vector<std::string> names;
    names.reserve(calls.size());
    for (const CRecordedCall& call : calls) names.push_back(call.name);
    return names;
}

std::vector<std::string> CRecordingCallLog::Texts(std::string_view name) const {
    std::vector<std::string> texts;
    for (const CRecordedCall& call : calls) {
        if (name.empty() || call.name == name) texts.push_back(call.text);
    }
    return texts;
}

std::size_t CRecordingCallLog::Count(std::string_view name) const {
    std::size_t count = 0;
    for (const CRecordedCall& call : calls) count += call.name == name ? 1 : 0;
    return count;
}

std::size_t CRecordingCallLog::Find(std::string_view name, std::size_t from) const {
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].name == name) return i;
    }
    return std::string::npos;
}

void CRecordingCallLog::ClearLog() {
    calls.clear();
    draws.clear();
}

HRESULT CRecordingCallLog::Record(std::string name, std::string text) {
    HRESULT result = D3D_OK;
    // The first failure still pending for this name decides; a failure whose
    // skips are used up and whose times ran out is spent.
    for (Failure& failure : failures) {
        if (failure.name != name || failure.times == 0) continue;
        if (failure.skip > 0) {
            --failure.skip;
        } else {
            result = failure.result;
            if (failure.times > 0) --failure.times;
        }
        break;
    }
    calls.push_back(CRecordedCall{std::move(name), std::move(text), result});
    return result;
}

void CRecordingCallLog::Note(std::string name, std::string text, HRESULT result) {
    calls.push_back(CRecordedCall{std::move(name), std::move(text), result});
}

HRESULT CRecordingCallLog::Verdict(D3DRefusal why) {
    CRecordedCall& call = calls.back();
    call.result = D3DCallResult(call.name.c_str(), why);
    return call.result;
}

std::string CRecordingCallLog::NextLabel(std::string_view kind) {
    return std::string(kind) + "#" + std::to_string(nextLabel++);
}
