#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qs::app {

// The program's side of the Foldwatcher library: creates a Watch by its class identifier, connects a
// sink for its Notify event and calls AddPath / Start through IWatch. Use it on one thread, which has
// COM initialised as an apartment and pumps messages: Notify arrives there, inside that pump.
class WatchClient {
public:
    using NotifyHandler = std::function<void(const std::string& sPathName, int16_t nType)>;

    // nullptr when the class is not registered, the object cannot be made or its events not connected;
    // `result` (when given) receives the HRESULT of the step that failed, S_OK on success.
    static std::unique_ptr<WatchClient> create(NotifyHandler onNotify, HRESULT* result = nullptr);
    ~WatchClient();  // disconnects the sink, then releases the object (which stops a running watch)

    WatchClient(const WatchClient&) = delete;
    WatchClient& operator=(const WatchClient&) = delete;

    HRESULT AddPath(const std::string& path);  // path as UTF-8; the object keeps it in ANSI
    HRESULT putStart(bool start);              // a failure when the watch cannot be started

    struct Impl;

private:
    explicit WatchClient(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace qs::app
