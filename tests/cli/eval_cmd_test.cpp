// hesapkar-cli eval: results on stdout, the empty result as exit code 1 with its reason, and the
// refusals of malformed bindings.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct EvalRun {
    int code = -1;
    std::string out, err;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

EvalRun eval(const std::vector<std::string>& args) {
    const fs::path dir = fs::temp_directory_path() / ("hk_eval_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string cmd = quote(std::string(HK_BINARY_DIR) + "/src/cli/hesapkar-cli") + " eval";
    for (const auto& a : args) cmd += " " + quote(a);
    cmd += " >" + quote((dir / "out").string()) + " 2>" + quote((dir / "err").string());
    EvalRun r;
    const int status = std::system(cmd.c_str());
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(dir / "out");
    r.err = slurp(dir / "err");
    fs::remove_all(dir);
    return r;
}

TEST(EvalCommand, PrintsTheResultOfBoundNamesOfEachType) {
    struct Row {
        std::vector<std::string> args;
        const char* out;
    };
    const Row rows[] = {
        {{"10 / 4"}, "2.5\n"},
        {{"Round(A*B/100,0.01)+C", "--bind", "A=1234.56", "--bind", "B=18", "--bind=C=0.5"}, "222.72\n"},
        {{"HSP:Ntlk='M' AND A>0", "--bind", "hsp:ntlk=M", "--bind", "A=5"}, "1\n"},
        {{"N * 2", "--bind", "N=21", "--type", "N=int"}, "42\n"},
        {{"R + 0.2", "--bind", "R=0.1", "--type", "R=real"}, "0.3\n"},
        {{"Format(D,@d17b)", "--bind", "D=29.02.2016", "--type", "D=date"}, "29.02.2016\n"},
        {{"D + 1", "--bind", "D=29.02.2016", "--type=D=date"}, "78591\n"},
        {{"T & '!'", "--bind", "T=12", "--type", "T=text"}, "12!\n"},
    };
    for (const Row& row : rows) {
        const EvalRun r = eval(row.args);
        EXPECT_EQ(r.code, 0) << row.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, row.out) << row.args[0];
    }
}

TEST(EvalCommand, EmptyResultExitsWithOneAndTheReason) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"1 / 0"}, "division by zero"},
        {{"NOSUCH + 1"}, "unknown name NOSUCH"},
        {{"ROUND(1)"}, "wrong number of arguments for ROUND"},
        {{"CLIP('  ')"}, "empty text"},
    };
    for (const auto& [args, reason] : rows) {
        const EvalRun r = eval(args);
        EXPECT_EQ(r.code, 1) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find(reason), std::string::npos) << args[0] << ": " << r.err;
    }
}

TEST(EvalCommand, MalformedBindingsAreRefused) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "kullanım: eval"},
        {{"1", "2"}, "kullanım: eval"},
        {{"A", "--bind", "A"}, "NAME=VALUE"},
        {{"A", "--bind"}, "NAME=VALUE"},
        {{"A", "--bind", "A=x", "--type", "A=int"}, "not a whole number"},
        {{"A", "--bind", "A=1.5", "--type", "A=int"}, "not a whole number"},
        {{"A", "--bind", "A=31.02.2016", "--type", "A=date"}, "not a date"},
        {{"A", "--bind", "A=1", "--type", "A=money"}, "unknown type"},
        {{"A", "--bind", "A=1", "--type", "B=int"}, "not bound: B"},
        {{"A", "--bind", "1A=1"}, "not a valid name"},
        {{"A", "--frobnicate"}, "unknown option"},
    };
    for (const auto& [args, reason] : rows) {
        const EvalRun r = eval(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
}

} // namespace
