// zr-patch-builder: builds patch versions into an FTP root and checks such a root.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/patch_builder/KeyFiles.h"
#include "tools/patch_builder/PatchBuilder.h"
#include "tools/patch_builder/RootVerifier.h"
#include "tools/patch_builder/VersionSigner.h"

namespace {

void PrintUsage()
{
    fprintf(stderr,
            "usage:\n"
            "  zr-patch-builder build --old DIR --new DIR --root FTPROOT --version X.Y.Z\n"
            "                         [--dir NAME] [--compress SUFFIX] [--test-server]\n"
            "                         [--catalogue NAME] [--sign KEY]\n"
            "  zr-patch-builder verify --root FTPROOT [--catalogue NAME] [--key PUBLIC]\n"
            "  zr-patch-builder keygen KEY\n"
            "  zr-patch-builder sign --root FTPROOT --key KEY [--catalogue NAME] [--resign]\n"
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
        else if (arg == "--sign")
            ok = TakeValue(argc, argv, i, options.signKey);
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
    std::string root, keyText;
    std::string catalogue = "version.cvd";
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        int ok = 1;
        if (arg == "--root")
            ok = TakeValue(argc, argv, i, root);
        else if (arg == "--catalogue")
            ok = TakeValue(argc, argv, i, catalogue);
        else if (arg == "--key")
            ok = TakeValue(argc, argv, i, keyText);
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
    PublisherKeys keys;
    std::string error;
    if (!keyText.empty() && !LoadPublicKeys(keyText, keys, error)) {
        fprintf(stderr, "zr-patch-builder: %s\n", error.c_str());
        return 2;
    }
    std::vector<std::string> problems;
    VerifyRoot(root, catalogue, keys, problems);
    for (const std::string& problem : problems)
        printf("problem: %s\n", problem.c_str());
    if (!problems.empty()) {
        printf("%zu problem(s) found in %s\n", problems.size(), root.c_str());
        return 1;
    }
    printf("%s: no problems found%s\n", root.c_str(),
           keys.count ? ", every signature and hash verified" : "");
    return 0;
}

int RunKeygen(int argc, char** argv)
{
    if (argc != 3 || argv[2][0] == '-') {
        PrintUsage();
        return 2;
    }
    std::string publicHex, error;
    if (!GenerateKeyFiles(argv[2], publicHex, error)) {
        fprintf(stderr, "zr-patch-builder: %s\n", error.c_str());
        return 1;
    }
    fprintf(stderr, "zr-patch-builder: secret key in %s (keep it offline), public key in %s.pub\n",
            argv[2], argv[2]);
    printf("%s\n", publicHex.c_str());
    return 0;
}

int RunSign(int argc, char** argv)
{
    std::string root, keyPath;
    std::string catalogue = "version.cvd";
    bool resign = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        int ok = 1;
        if (arg == "--root")
            ok = TakeValue(argc, argv, i, root);
        else if (arg == "--key")
            ok = TakeValue(argc, argv, i, keyPath);
        else if (arg == "--catalogue")
            ok = TakeValue(argc, argv, i, catalogue);
        else if (arg == "--resign")
            resign = true;
        else
            ok = 0;
        if (!ok) {
            PrintUsage();
            return 2;
        }
    }
    if (root.empty() || keyPath.empty()) {
        fprintf(stderr, "zr-patch-builder: sign needs --root and --key\n");
        PrintUsage();
        return 2;
    }
    SecretKey key;
    std::string error, warning;
    if (!LoadSecretKey(keyPath, key, warning, error) ||
        !SignRoot(root, catalogue, key, resign, stdout, error)) {
        fprintf(stderr, "zr-patch-builder: %s\n", error.c_str());
        return 1;
    }
    if (!warning.empty())
        fprintf(stderr, "zr-patch-builder: warning: %s\n", warning.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "build") == 0)
        return RunBuild(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "verify") == 0)
        return RunVerify(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "keygen") == 0)
        return RunKeygen(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "sign") == 0)
        return RunSign(argc, argv);
    PrintUsage();
    return 2;
}
