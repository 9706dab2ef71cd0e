// The steps every reporting operation runs: begin on the current record, work inside a guard,
// take over a callee's failure, and end by passing the failure on or showing it.
#pragma once

#include "Include/Core/FunStat.h"

class TFunOperation {
public:
    // Marks the current record "Begin function error" at this operation.
    TFunOperation(const char* module, const char* function, int32_t line);
    ~TFunOperation();
    TFunOperation(const TFunOperation&) = delete;
    TFunOperation& operator=(const TFunOperation&) = delete;

    TFunStatContext Own;

    bool Failed() const { return Own.Failed(); }

    // Runs the work and records an exception that escapes it; returns false when one did.
    template <class Work>
    bool Guard(int32_t line, Work&& work) noexcept {
        try {
            work();
            return true;
        } catch (const TSiteException& e) {
            RaiseException(line, std::string("Unhandled exception: ") + e.Message, BaseName(e.File),
                           std::to_string(e.Line));
        } catch (const std::exception& e) {
            RaiseException(line, std::string("Unhandled exception: ") + e.what(), "", "0");
        } catch (...) {
            RaiseException(line, "Unhandled generic exception.", "", "0");
        }
        return false;
    }

    void Raise(int32_t line, int32_t status, const std::string& description,
               const std::string& parameter1 = std::string(), const std::string& parameter2 = std::string(),
               int32_t systemErrorCode = 0);

    // After calling another operation: takes its failure over. Returns true when it failed.
    bool TakeCurrent();

    // End of a passing operation: the error action sets the failure result; the record is handed on.
    template <class ErrorAction>
    void EndPassing(ErrorAction&& errorAction) noexcept {
        if (Own.Failed()) {
            TFunStatContext saved(Own);
            Guard(0, errorAction);
            if (!Own.Failed()) Own = saved;
        }
        CurrentFunStatContext = Own;
    }
    void EndPassing() noexcept { EndPassing([] {}); }

    // End of a showing operation: a failure is shown with the failure message, then the current
    // record is left Perfect.
    void EndShowing(int32_t line, const std::string& failureMessage, bool nameInShowContext = false) noexcept;

    // End of an operation that shows its failure and still hands it on (the caller sees it).
    void EndShowingAndPass(int32_t line, const std::string& failureMessage) noexcept;

    static std::string BaseName(const char* path);

    // The operations running now, innermost first, so that a report made outside the protocol (a
    // crash) can still say what the program was doing. Operations run on one thread only.
    static const TFunOperation* Innermost() { return innermost_; }
    const TFunOperation* Outer() const { return outer_; }
    const char* Module() const { return Module_; }
    const char* Function() const { return Function_; }
    int32_t BeginLine() const { return beginLine_; }

private:
    void RaiseException(int32_t line, const std::string& description, const std::string& parameter1,
                        const std::string& parameter2) noexcept;
    void ShowOwn(int32_t line, const std::string& failureMessage, bool nameInShowContext) noexcept;

    const char* Module_;
    const char* Function_;
    int32_t beginLine_;
    const TFunOperation* outer_;
    static const TFunOperation* innermost_;
};

// The light form for handlers without a record of their own: after calling an operation,
// shows a failure of the current record with the message and resets it.
void ShowCurrentFailure(const char* module, int32_t line, const std::string& failureMessage);

// A command inside a status record of its own: whatever failed in the body, or in an operation it
// called and took over, is shown once with the failure message. The body gets the record.
template <class Body>
void RunShowingOperation(const char* module, const char* function, int32_t line, const char* failureMessage,
                         Body&& body) {
    TFunOperation op(module, function, line);
    op.Guard(line, [&] { body(op); });
    op.EndShowing(line, failureMessage);
}
