#pragma once
// Every request the service answered, in order: kept in memory for the
// control endpoint and appended to a JSON-lines file for people and tests.
#include <json/json.h>
#include <libsoup/soup.h>

#include <cstdio>
#include <deque>
#include <string>

namespace svc {

class RequestLog {
public:
    explicit RequestLog(const std::string& path);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Records the request with the status it was (or will be) answered with;
    // status 0 means the connection was closed without an answer.
    void Record(SoupServerMessage* msg, const std::string& scheme, int status);
    // Entries with a sequence number above `since`, optionally only one path.
    Json::Value Since(long long since, const std::string& path) const;
    void Clear();

private:
    std::deque<Json::Value> m_entries;
    long long m_next = 1;
    FILE* m_file = nullptr;
};

}  // namespace svc
