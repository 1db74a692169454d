#pragma once
// Runs the local Murmel service (service/murmel-service) as a child process
// of a test, and a small libcurl client to talk to it. Header-only so every
// integration and end-to-end test can use it.
#include <curl/curl.h>
#include <fcntl.h>
#include <json/json.h>
#include <signal.h>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace murmeltest {

struct HttpAnswer {
    CURLcode error = CURLE_OK;
    long status = 0;
    std::string body;
    std::string headers;  // the raw header lines of the last response

    // The value of the first header line with this name (case-insensitive).
    std::string Header(const std::string& name) const {
        std::istringstream lines(headers);
        std::string line;
        while (std::getline(lines, line)) {
            auto colon = line.find(':');
            if (colon == std::string::npos || colon != name.size()) continue;
            if (strncasecmp(line.c_str(), name.c_str(), name.size()) != 0) continue;
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
                value.pop_back();
            return value;
        }
        return {};
    }
    Json::Value Json() const {
        Json::Value value;
        Json::Reader().parse(body, value);
        return value;
    }
};

struct Request {
    Request(std::string method_, std::string url_, std::string body_ = {},
            std::vector<std::string> headers_ = {}, std::string caFile_ = {})
        : method(std::move(method_)),
          url(std::move(url_)),
          body(std::move(body_)),
          headers(std::move(headers_)),
          caFile(std::move(caFile_)) {}

    std::string method;
    std::string url;
    std::string body;
    std::vector<std::string> headers;
    std::string caFile;     // empty: the system's trust store
    std::string cookieJar;  // a file that keeps cookies between requests
    bool chunked = false;
    long timeoutSeconds = 60;
};

inline std::size_t AppendTo(char* data, std::size_t size, std::size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

inline HttpAnswer Fetch(const Request& request) {
    HttpAnswer answer;
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const auto& h : request.headers) headers = curl_slist_append(headers, h.c_str());
    if (request.chunked) headers = curl_slist_append(headers, "Transfer-Encoding: chunked");
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.method == "POST" || request.method == "PUT" || request.method == "PATCH" ||
        !request.body.empty()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendTo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &AppendTo);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    if (!request.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
    if (!request.cookieJar.empty()) {
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, request.cookieJar.c_str());
        curl_easy_setopt(curl, CURLOPT_COOKIEJAR, request.cookieJar.c_str());
    }
    answer.error = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

inline Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

inline std::string ToJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

class MurmelService {
public:
    MurmelService() {
        std::string dir = std::filesystem::temp_directory_path() / "murmel-service-test.XXXXXX";
        m_dir = mkdtemp(dir.data()) ? dir : std::string();
    }
    ~MurmelService() {
        Stop();
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }
    MurmelService(const MurmelService&) = delete;
    MurmelService& operator=(const MurmelService&) = delete;

    static std::string Binary() {
        return std::string(MURMEL_BINARY_DIR) + "/service/murmel-service";
    }
    const std::string& Dir() const { return m_dir; }
    std::string StateDir() const { return m_dir + "/state"; }
    std::string PortFile() const { return m_dir + "/ports.json"; }

    // Starts the service with a scenario (JSON text, empty: the defaults)
    // and extra arguments; waits until it has written its port file. False
    // when the process ended first; its error output is then in Errors().
    bool Start(const std::string& scenario = "", std::vector<std::string> args = {}) {
        std::filesystem::remove(PortFile());
        std::vector<std::string> argv = {Binary(), "--state-dir", StateDir(), "--port-file",
                                         PortFile()};
        if (!scenario.empty()) {
            std::ofstream(m_dir + "/scenario.json") << scenario;
            argv.insert(argv.end(), {"--scenario", m_dir + "/scenario.json"});
        }
        argv.insert(argv.end(), args.begin(), args.end());
        m_pid = Spawn(argv, m_dir + "/stdout.txt", m_dir + "/stderr.txt");
        if (m_pid <= 0) return false;
        for (int i = 0; i < 600; ++i) {
            std::ifstream in(PortFile());
            Json::Value ports;
            if (in && Json::Reader().parse(in, ports) && ports.isMember("https")) {
                m_ports = ports;
                return true;
            }
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_exitStatus = status;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Ends the service with SIGTERM; returns its wait status.
    int Stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, &m_exitStatus, 0);
            m_pid = -1;
        }
        return m_exitStatus;
    }
    bool Running() const { return m_pid > 0 && kill(m_pid, 0) == 0; }
    std::string Errors() const { return ReadAll(m_dir + "/stderr.txt"); }
    std::string Output() const { return ReadAll(m_dir + "/stdout.txt"); }

    const Json::Value& Ports() const { return m_ports; }
    std::string HttpsBase() const { return m_ports["httpsBase"].asString(); }
    std::string HttpBase() const { return m_ports["httpBase"].asString(); }
    std::string CaFile() const { return m_ports["caFile"].asString(); }

    // A request to the service's HTTPS side, trusting its CA.
    HttpAnswer Https(Request request) const {
        request.url = HttpsBase() + request.url;
        request.caFile = CaFile();
        return Fetch(request);
    }
    HttpAnswer Get(const std::string& path) const { return Https({"GET", path}); }
    HttpAnswer Control(const std::string& method, const std::string& path,
                       const std::string& body = "") const {
        return Https({method, "/_control/" + path, body});
    }
    bool SetScenario(const std::string& patch) const {
        return Control("POST", "scenario", patch).status == 200;
    }
    Json::Value Log(const std::string& path = "") const {
        std::string query = path.empty() ? "" : "?path=" + path;
        return Control("GET", "log" + query).Json();
    }
    long long Inject(const std::string& eventJson) const {
        HttpAnswer answer = Control("POST", "events", eventJson);
        return answer.status == 200 ? answer.Json()["id"].asInt64() : -1;
    }

private:
    // fork and exec rather than posix_spawn: the child asks to be ended with
    // its parent, so a test that dies never leaves a service behind.
    static pid_t Spawn(const std::vector<std::string>& args, const std::string& out,
                       const std::string& err) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t parent = getpid();
        pid_t pid = fork();
        if (pid != 0) return pid;
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd >= 0) dup2(outFd, 1);
        if (errFd >= 0) dup2(errFd, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_dir;
    pid_t m_pid = -1;
    int m_exitStatus = 0;
    Json::Value m_ports;
};

}  // namespace murmeltest
