#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The Internet transfer control: one HTTP request at a time, states reported
// through the state handler while the UI thread yields to the event loop.
class TransferControl {
public:
    // States the program acts on.
    static constexpr int kStateError = 11;
    static constexpr int kStateResponseCompleted = 12;
    // Error number of a request that received nothing for too long.
    static constexpr std::uint32_t kErrorTimeout = 35761;

    using StateHandler = std::function<void(int state)>;

    virtual ~TransferControl() = default;

    virtual void SetStateHandler(StateHandler handler) = 0;

    // GET the URL and return the whole body as text. Throws PlatformError
    // (code kErrorTimeout on a time-out).
    virtual std::wstring OpenURL(const std::wstring& url) = 0;
    // Starts a GET and returns at once; states follow through the handler.
    virtual void Execute(const std::wstring& url, const std::wstring& operation) = 0;
    virtual bool StillExecuting() = 0;
    // Next part of the body: `size` bytes, fewer only at its end, none when nothing is left.
    virtual std::vector<std::uint8_t> GetChunk(std::size_t size) = 0;
    // Abandons the running request.
    virtual void Cancel() = 0;
};

class TransferControlFactory {
public:
    virtual ~TransferControlFactory() = default;
    virtual std::unique_ptr<TransferControl> Create() = 0;
};
