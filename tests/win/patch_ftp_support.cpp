#include "tests/win/patch_ftp_support.h"

#include <bzlib.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

typedef char*(CDECL* UnixNameFunction)(LPCWSTR);

std::wstring Wide(const std::string& s)
{
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// The Unix path of a Windows path, through Wine's own export of kernel32.
std::string UnixPath(const std::string& windowsPath)
{
    UnixNameFunction toUnix = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    char* unixName = toUnix(Wide(windowsPath).c_str());
    if (!unixName)
        return std::string();
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

std::string SourceRoot()
{
    // This file's own path as the compiler saw it: <root>/tests/win/patch_ftp_support.cpp.
    std::string self = __FILE__;
    for (int level = 0; level < 3; ++level)
        self = self.substr(0, self.find_last_of("/\\"));
    return self;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void MakeDirectories(const std::string& path)
{
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryA(path.c_str(), nullptr);
}

std::string Backslashes(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// A JSON string or number field of one transfer-log line (the server writes them
// with json.dumps, so a field's layout is fixed).
std::string JsonField(const std::string& line, const char* key)
{
    std::string tag = std::string("\"") + key + "\": ";
    size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::string();
    at += tag.size();
    if (line[at] != '"') {
        size_t end = line.find_first_of(",}", at);
        return line.substr(at, end - at);
    }
    std::string value;
    for (size_t i = at + 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        value += line[i];
    }
    return value;
}

} // namespace

std::string SourceFile(const char* relative)
{
    return "Z:" + Backslashes(SourceRoot() + "/" + relative);
}

std::string ExecutableDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string Bzip2(const std::string& data)
{
    unsigned int size = static_cast<unsigned int>(data.size() + data.size() / 100 + 700);
    std::string out(size, '\0');
    BZ2_bzBuffToBuffCompress(&out[0], &size, const_cast<char*>(data.data()),
                             static_cast<unsigned int>(data.size()), 9, 0, 0);
    out.resize(size);
    return out;
}

void WriteFileAt(const std::string& path, const std::string& bytes)
{
    std::string dir = path.substr(0, path.find_last_of('\\'));
    MakeDirectories(dir);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

FtpTestServer::FtpTestServer(const std::string& options)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    char name[MAX_PATH];
    for (;;) {
        snprintf(name, sizeof name, "%szrftp-%lu-%u", temp, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr))
            break;
    }
    m_dir = name;
    m_root = m_dir + "\\root";
    CreateDirectoryA(m_root.c_str(), nullptr);

    std::string unixDir = UnixPath(m_dir);
    std::string script = SourceRoot() + "/tests/fixtures/ftp_server.py";
    std::string command = "Z:\\usr\\bin\\python3 " + script + " --root " + unixDir + "/root" +
                          " --port-file " + unixDir + "/port --stop-file " + unixDir + "/stop" +
                          " --transfer-log " + unixDir + "/transfers --max-seconds 300 " + options;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    // A Unix program started this way has no process handle; the stop file ends it.
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    std::string portFile = m_dir + "\\port";
    for (int waited = 0; waited < 15000; waited += 20) {
        std::string text = ReadWholeFile(portFile);
        if (!text.empty()) {
            m_port = static_cast<unsigned short>(atoi(text.c_str()));
            break;
        }
        Sleep(20);
    }
}

FtpTestServer::~FtpTestServer()
{
    std::ofstream(m_dir + "\\stop") << "stop";
    Sleep(250);  // the server checks for the stop file every 0.1 s
    std::string from = m_dir + std::string(1, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

void FtpTestServer::Put(const std::string& relative, const std::string& bytes) const
{
    WriteFileAt(m_root + "\\" + Backslashes(relative), bytes);
}

void FtpTestServer::Remove(const std::string& relative) const
{
    DeleteFileA((m_root + "\\" + Backslashes(relative)).c_str());
}

std::vector<FtpTestServer::Transfer> FtpTestServer::Transfers() const
{
    std::vector<Transfer> transfers;
    std::istringstream lines(ReadWholeFile(m_dir + "\\transfers"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        transfers.push_back({JsonField(line, "file"), atol(JsonField(line, "bytes").c_str()),
                             JsonField(line, "completed") == "true"});
    }
    return transfers;
}

std::vector<std::string> FtpTestServer::CompletedFiles() const
{
    std::vector<std::string> files;
    for (const Transfer& t : Transfers()) {
        if (t.completed)
            files.push_back(t.file);
    }
    return files;
}
