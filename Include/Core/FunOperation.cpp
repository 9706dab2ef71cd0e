#include "Include/Core/FunOperation.h"

#include <cstring>

const TFunOperation* TFunOperation::innermost_ = nullptr;

TFunOperation::TFunOperation(const char* module, const char* function, int32_t line)
    : Module_(module), Function_(function), beginLine_(line), outer_(innermost_) {
    CurrentFunStatContext.Begin(module, function, line);
    innermost_ = this;
}

// Operations end in the reverse order of their start: each is a local of the one that called it.
TFunOperation::~TFunOperation() { innermost_ = outer_; }

void TFunOperation::Raise(int32_t line, int32_t status, const std::string& description,
                          const std::string& parameter1, const std::string& parameter2, int32_t systemErrorCode) {
    Own.Raise(Module_, Function_, line, status, description, parameter1, parameter2, systemErrorCode);
}

void TFunOperation::RaiseException(int32_t line, const std::string& description, const std::string& parameter1,
                                   const std::string& parameter2) noexcept {
    try {
        Raise(line, fsError, description, parameter1, parameter2, 0);
    } catch (...) {
        Own.Status = fsError;  // out of memory: at least the failure itself is kept
    }
}

bool TFunOperation::TakeCurrent() {
    if (!CurrentFunStatContext.Failed()) return false;
    Own = CurrentFunStatContext;
    return true;
}

void TFunOperation::ShowOwn(int32_t line, const std::string& failureMessage, bool nameInShowContext) noexcept {
    TFunStatContext saved(Own);
    Guard(line, [&] {
        Own.SetShowContext(Module_, nameInShowContext ? Function_ : "", line);
        Own.Show(failureMessage);
    });
    if (!Own.Failed()) Own = saved;
}

void TFunOperation::EndShowing(int32_t line, const std::string& failureMessage, bool nameInShowContext) noexcept {
    if (Own.Failed()) ShowOwn(line, failureMessage, nameInShowContext);
    Own.Reset(fsPerfect);
    CurrentFunStatContext = Own;
}

void TFunOperation::EndShowingAndPass(int32_t line, const std::string& failureMessage) noexcept {
    if (Own.Failed()) ShowOwn(line, failureMessage, false);
    CurrentFunStatContext = Own;
}

std::string TFunOperation::BaseName(const char* path) {
    if (!path) return std::string();
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

void ShowCurrentFailure(const char* module, int32_t line, const std::string& failureMessage) {
    if (!CurrentFunStatContext.Failed()) return;
    CurrentFunStatContext.SetShowContext(module, "", line);
    CurrentFunStatContext.Show(failureMessage);
    CurrentFunStatContext.Reset(fsPerfect);
}
