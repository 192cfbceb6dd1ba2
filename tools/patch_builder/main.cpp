// zr-patch-builder: builds patch versions into an FTP root and checks such a root.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/patch_builder/PatchBuilder.h"
#include "tools/patch_builder/RootVerifier.h"

namespace {

void PrintUsage()
{
    fprintf(stderr,
            "usage:\n"
            "  zr-patch-builder build --old DIR --new DIR --root FTPROOT --version X.Y.Z\n"
            "                         [--dir NAME] [--compress SUFFIX] [--test-server]\n"
            "                         [--catalogue NAME]\n"
            "  zr-patch-builder verify --root FTPROOT [--catalogue NAME]\n"
            "see docs/operators.md\n");
}

// Takes the value of an option that needs one; 0 when it is missing.
int TakeValue(int argc, char** argv, int& i, std::string& value)
{
    if (i + 1 >= argc) {
        fprintf(stderr, "zr-patch-builder: %s needs a value\n", argv[i]);
        return 0;
    }
    value = argv[++i];
    return 1;
}

int RunBuild(int argc, char** argv)
{
    BuildOptions options;
    bool compressGiven = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        int ok = 1;
        if (arg == "--old")
            ok = TakeValue(argc, argv, i, options.oldDir);
        else if (arg == "--new")
            ok = TakeValue(argc, argv, i, options.newDir);
        else if (arg == "--root")
            ok = TakeValue(argc, argv, i, options.root);
        else if (arg == "--version")
            ok = TakeValue(argc, argv, i, options.versionText);
        else if (arg == "--dir")
            ok = TakeValue(argc, argv, i, options.dirName);
        else if (arg == "--compress")
            ok = compressGiven = TakeValue(argc, argv, i, options.suffix);
        else if (arg == "--catalogue")
            ok = TakeValue(argc, argv, i, options.catalogueName);
        else if (arg == "--test-server")
            options.testServer = true;
        else {
            fprintf(stderr, "zr-patch-builder: unknown option %s\n", arg.c_str());
            ok = 0;
        }
        if (!ok) {
            PrintUsage();
            return 2;
        }
    }
    if (options.oldDir.empty() || options.newDir.empty() || options.root.empty() ||
        options.versionText.empty()) {
        fprintf(stderr, "zr-patch-builder: build needs --old, --new, --root and --version\n");
        PrintUsage();
        return 2;
    }
    if (compressGiven && options.suffix.empty()) {
        fprintf(stderr, "zr-patch-builder: --compress needs a suffix such as .bz2\n");
        return 2;
    }
    return BuildVersion(options, stdout, stderr) ? 0 : 1;
}

int RunVerify(int argc, char** argv)
{
    std::string root;
    std::string catalogue = "version.cvd";
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        int ok = 1;
        if (arg == "--root")
            ok = TakeValue(argc, argv, i, root);
        else if (arg == "--catalogue")
            ok = TakeValue(argc, argv, i, catalogue);
        else {
            fprintf(stderr, "zr-patch-builder: unknown option %s\n", arg.c_str());
            ok = 0;
        }
        if (!ok) {
            PrintUsage();
            return 2;
        }
    }
    if (root.empty()) {
        fprintf(stderr, "zr-patch-builder: verify needs --root\n");
        PrintUsage();
        return 2;
    }
    std::vector<std::string> problems;
    VerifyRoot(root, catalogue, problems);
    for (const std::string& problem : problems)
        printf("problem: %s\n", problem.c_str());
    if (!problems.empty()) {
        printf("%zu problem(s) found in %s\n", problems.size(), root.c_str());
        return 1;
    }
    printf("%s: no problems found\n", root.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "build") == 0)
        return RunBuild(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "verify") == 0)
        return RunVerify(argc, argv);
    PrintUsage();
    return 2;
}
