// tavelin-disc: the disc author's command-line tool.
//   tavelin-disc check [--json] DISC
//   tavelin-disc simulate DISC PROFILE
//   tavelin-disc seal DISC
// Exit codes: 0 nothing wrong, 1 the disc has errors, 2 the command line or a file could not be used.
#include <cstdio>
#include <string>
#include <vector>

#include "authoring/disc_check.h"
#include "authoring/disc_seal.h"
#include "authoring/report.h"
#include "authoring/simulation.h"

namespace {

constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: tavelin-disc check [--json] DISC\n"
    "       tavelin-disc simulate DISC PROFILE\n"
    "       tavelin-disc seal DISC\n";

void Write(const std::string& text, std::FILE* stream) { std::fwrite(text.data(), 1, text.size(), stream); }

int RunCheck(const std::vector<std::filesystem::path>& operands, bool json) {
    if (operands.size() != 1) return Write(kUsage, stderr), kExitUsage;
    if (!std::filesystem::is_directory(operands[0])) {
        Write("tavelin-disc: " + operands[0].u8string() + " is not a folder\n", stderr);
        return kExitUsage;
    }
    const tavelin::Findings findings = tavelin::CheckDisc(operands[0]);
    Write(json ? tavelin::JsonReport(findings) : tavelin::HumanReport(findings), stdout);
    return tavelin::HasErrors(findings) ? 1 : 0;
}

int RunSimulate(const std::vector<std::filesystem::path>& operands, bool json) {
    if (operands.size() != 2) return Write(kUsage, stderr), kExitUsage;
    const tavelin::SimulationResult result = tavelin::SimulateDisc(operands[0], operands[1]);
    if (!result.error.empty()) {
        Write("tavelin-disc: " + tavelin::EncodeUtf8(result.error) + "\n", stderr);
        return kExitUsage;
    }
    Write(json ? tavelin::SimulationJson(result) : tavelin::SimulationText(result), stdout);
    return 0;
}

int RunSeal(const std::vector<std::filesystem::path>& operands) {
    if (operands.size() != 1) return Write(kUsage, stderr), kExitUsage;
    if (!std::filesystem::is_directory(operands[0])) {
        Write("tavelin-disc: " + operands[0].u8string() + " is not a folder\n", stderr);
        return kExitUsage;
    }
    const tavelin::SealOutcome outcome = tavelin::SealDisc(operands[0]);
    if (!outcome.error.empty()) {
        Write("tavelin-disc: " + tavelin::EncodeUtf8(outcome.error) + "\n", stderr);
        return kExitUsage;
    }
    std::string report;
    for (const std::wstring& line : outcome.sealed) report += "sealed " + tavelin::EncodeUtf8(line) + "\n";
    for (const std::wstring& line : outcome.notOnDisc) {
        report += "not sealed, not on the disc: " + tavelin::EncodeUtf8(line) + "\n";
    }
    Write(report, stdout);
    return 0;
}

int Run(const std::vector<std::filesystem::path>& arguments) {
    if (arguments.empty()) return Write(kUsage, stderr), kExitUsage;
    const std::filesystem::path& command = arguments[0];
    bool json = false;
    std::vector<std::filesystem::path> operands;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--json") {
            json = true;
        } else {
            operands.push_back(arguments[i]);
        }
    }
    if (command == "check") return RunCheck(operands, json);
    if (command == "simulate") return RunSimulate(operands, json);
    if (command == "seal") return RunSeal(operands);
    Write(kUsage, stderr);
    return kExitUsage;
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that disc paths in any language arrive whole.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return Run(arguments);
}
#else
int main(int argc, char** argv) {
    std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return Run(arguments);
}
#endif
