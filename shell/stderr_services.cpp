// See stderr_services.h.
#include "shell/stderr_services.h"

#include <cstdio>

namespace tess {

namespace {

void Say(const char* Title, const std::string& Text) {
  std::fprintf(stderr, "[%s] %s\n", Title, Text.c_str());
}

}  // namespace

void TStderrServices::AddProcessingOutputLine(const std::string& Line) {
  Say("output", Line);
}

void TStderrServices::ShowDiagnosticMsg(const std::string& Text) {
  Say("Diagnostic Message", "Diagnostic Message: " + Text);
}

void TStderrServices::ShowErrorMsg(const std::string& Text) {
  Say("Error", Text);
}

void TStderrServices::ShowInfoMsg(const std::string& Text) {
  Say("Information", Text);
}

void TStderrServices::ShowErrorSolution(const std::string& ErrorText,
                                        const std::string& SolutionText) {
  Say("Error", ErrorText + " / Solution: " + SolutionText);
}

}  // namespace tess
