#include "net/TransferControl_win.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "net/InternetRequest_win.h"
#include "net/TransferChannel_win.h"
#include "platform/PlatformError.h"
#include "ui/MessageLoop_win.h"
#include "ui/Ui_win.h"

namespace {

constexpr UINT kMsgResponseStarted = WM_APP + 1;  // wParam: sequence
constexpr UINT kMsgFinished = WM_APP + 2;         // wParam: sequence, lParam: error number
const wchar_t kWindowClass[] = L"ZelbarTransferControl";
// Longest sleep of StillExecuting; messages and states end it earlier.
constexpr DWORD kStillExecutingWaitMs = 50;
// A wait for bytes wakes at least this often; the worker's time-out ends it.
constexpr DWORD kDataWaitMs = 1000;
constexpr std::size_t kTextBlock = 64 * 1024;

void RegisterWindowClass(WNDPROC proc) {
    static const ATOM atom = [proc] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&wc);
    }();
    if (atom == 0) ThrowLastError(L"Das Übertragungssteuerelement konnte nicht angelegt werden");
}

std::wstring DecodeAnsi(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          length);
    return text;
}

}  // namespace

WinInetTransferControl::WinInetTransferControl(std::uint32_t noDataTimeoutMs, unsigned retries,
                                               std::uint32_t firstPauseMs)
    : timeoutMs_(noDataTimeoutMs), retries_(retries), firstPauseMs_(firstPauseMs) {
    RegisterWindowClass(WndProc);
    window_.reset(::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    if (!window_) ThrowLastError(L"Das Übertragungssteuerelement konnte nicht angelegt werden");
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinInetTransferControl::~WinInetTransferControl() {
    Cancel();
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void WinInetTransferControl::SetStateHandler(StateHandler handler) {
    handler_ = std::move(handler);
}

std::wstring WinInetTransferControl::OpenURL(const std::wstring& url) {
    ThrowIfBusy(url);
    JoinWorker();
    // A text is small: asking again is the caller's decision.
    Start(url, L"GET", false, ResumePlan(0, 0));
    executing_ = true;
    const auto channel = channel_;
    std::string body;
    try {
        body = CollectText(url);
    } catch (...) {
        executing_ = false;
        channel->Abandon();
        JoinWorker();
        throw;
    }
    executing_ = false;
    JoinWorker();
    const std::uint32_t error = channel->Abandoned() ? ERROR_OPERATION_ABORTED : channel->Error();
    if (error != 0) throw PlatformError(error, DescribeTransferError(error, url));
    return DecodeAnsi(body);
}

std::string WinInetTransferControl::CollectText(const std::wstring& url) {
    const auto channel = channel_;
    std::string body;
    std::vector<std::uint8_t> block(kTextBlock);
    for (;;) {
        std::size_t taken = 0;
        while ((taken = channel->Take(block.data(), block.size()).count) > 0) {
            body.append(reinterpret_cast<const char*>(block.data()), taken);
            if (body.size() > kMaxTextSize) {
                throw PlatformError(ERROR_INSUFFICIENT_BUFFER,
                                    L"Die Antwort von " + url + L" ist zu groß für einen Text.");
            }
        }
        if (channel->Drained()) return body;
        WaitForData(*channel, 1);
    }
}

void WinInetTransferControl::Execute(const std::wstring& url, const std::wstring& operation) {
    ThrowIfBusy(url);
    JoinWorker();
    Start(url, operation, true,
          ResumePlan(retries_, firstPauseMs_, std::exchange(resumeOffset_, 0),
                     std::exchange(resumeValidator_, std::wstring())));
    activeSequence_ = lastSequence_;
    executing_ = true;
    responseCode_ = 0;
    bodySeen_ = 0;
    restarted_ = false;
    finishedWhileReading_.reset();
    validator_.clear();
    contentType_.clear();
}

bool WinInetTransferControl::StillExecuting() {
    if (!executing_) return false;
    // Sleep until a message arrives (the worker's states are messages too),
    // so the caller's loop of StillExecuting and a yield does not spin.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, kStillExecutingWaitMs, QS_ALLINPUT, 0);
    return executing_;
}

std::vector<std::uint8_t> WinInetTransferControl::GetChunk(std::size_t size) {
    const auto channel = channel_;
    if (!channel || size == 0) return {};
    std::vector<std::uint8_t> chunk(size);
    std::size_t filled = 0;
    for (;;) {
        const TransferChannel::Taken taken = channel->Take(chunk.data() + filled, size - filled);
        if (taken.body != bodySeen_) {
            // The body started over: the old bytes of this chunk are void.
            std::copy_n(chunk.data() + filled, taken.count, chunk.data());
            filled = 0;
            bodySeen_ = taken.body;
            restarted_ = true;
            CaptureReply();
        }
        filled += taken.count;
        if (filled == size || channel->Drained()) break;
        WaitForData(*channel, size - filled);
    }
    chunk.resize(filled);
    return chunk;
}

void WinInetTransferControl::Cancel() {
    activeSequence_ = 0;
    executing_ = false;
    reading_ = false;
    if (channel_) channel_->Abandon();
    JoinWorker();
}

void WinInetTransferControl::ResumeFrom(std::uint64_t offset, const std::wstring& validator) {
    resumeOffset_ = offset;
    resumeValidator_ = validator;
}

bool WinInetTransferControl::BodyRestarted() {
    return std::exchange(restarted_, false);
}

LRESULT CALLBACK WinInetTransferControl::WndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self =
        reinterpret_cast<WinInetTransferControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || (msg != kMsgResponseStarted && msg != kMsgFinished)) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    const auto sequence = static_cast<unsigned>(wParam);
    try {
        if (msg == kMsgResponseStarted) {
            self->OnResponseStarted(sequence);
        } else {
            self->OnFinished(sequence, static_cast<std::uint32_t>(lParam));
        }
    } catch (const PlatformError& error) {
        ::MessageBoxW(WizardDialogOwner(), error.message().c_str(), L"Zelbar Setup",
                      MB_OK | MB_ICONERROR);
    } catch (...) {
        ::MessageBoxW(WizardDialogOwner(),
                      L"Bei der Übertragung ist ein unerwarteter Fehler aufgetreten.",
                      L"Zelbar Setup", MB_OK | MB_ICONERROR);
    }
    return 0;
}

void WinInetTransferControl::OnResponseStarted(unsigned sequence) {
    if (sequence != activeSequence_) return;
    CaptureReply();
    const StateHandler handler = handler_;
    reading_ = true;
    try {
        if (handler) handler(kStateResponseCompleted);
    } catch (...) {
        EndReadersTurn(sequence);
        throw;
    }
    EndReadersTurn(sequence);
}

void WinInetTransferControl::EndReadersTurn(unsigned sequence) {
    reading_ = false;
    const auto finished = std::exchange(finishedWhileReading_, std::nullopt);
    if (sequence != activeSequence_) return;
    // A body it read to the end finishes as usual; a body it left unread
    // would hold the worker on a full buffer.
    if (!channel_->Drained()) {
        Cancel();
    } else if (finished) {
        OnFinished(sequence, *finished);
    }
}

void WinInetTransferControl::OnFinished(unsigned sequence, std::uint32_t error) {
    if (sequence != activeSequence_) return;
    if (reading_) {
        finishedWhileReading_ = error;
        return;
    }
    CaptureReply();
    activeSequence_ = 0;
    executing_ = false;
    responseCode_ = error;
    JoinWorker();
    const StateHandler handler = handler_;
    if (error != 0 && handler) handler(kStateError);
}

void WinInetTransferControl::CaptureReply() {
    // The worker may have taken a new reply since the last look.
    TransferChannel::Reply reply = channel_->Described();
    validator_ = std::move(reply.validator);
    contentType_ = std::move(reply.contentType);
}

void WinInetTransferControl::ThrowIfBusy(const std::wstring& url) const {
    if (executing_)
        throw PlatformError(kErrorStillExecuting, DescribeTransferError(kErrorStillExecuting, url));
}

void WinInetTransferControl::Start(const std::wstring& url, const std::wstring& verb,
                                   bool postStates, ResumePlan plan) {
    auto channel = std::make_shared<TransferChannel>(kBufferCapacity);
    const unsigned sequence = ++lastSequence_ == 0 ? ++lastSequence_ : lastSequence_;
    const HWND window = window_.get();
    const std::uint32_t timeoutMs = timeoutMs_;
    try {
        worker_ = std::thread([channel, url, verb, timeoutMs, window, sequence, postStates,
                               plan = std::move(plan)]() mutable {
            std::uint32_t error = ERROR_NOT_ENOUGH_MEMORY;
            try {
                InternetRequest request(url, verb, timeoutMs, *channel, plan);
                std::function<void()> started;
                if (postStates) {
                    started = [window, sequence] {
                        ::PostMessageW(window, kMsgResponseStarted, sequence, 0);
                    };
                }
                error = request.Run(started);
            } catch (...) {
                // Only the allocation of the request itself can get here.
            }
            channel->Finish(error);
            if (postStates) ::PostMessageW(window, kMsgFinished, sequence, error);
        });
    } catch (const std::system_error& error) {
        ThrowError(static_cast<unsigned long>(error.code().value()),
                   L"Die Übertragung konnte nicht gestartet werden");
    }
    channel_ = std::move(channel);
}

void WinInetTransferControl::JoinWorker() {
    if (!worker_.joinable()) return;
    // A worker that still runs is told to stop first; it never blocks for long
    // after that, so joining here is quick.
    if (channel_ && !channel_->Finished()) channel_->Abandon();
    worker_.join();
}

void WinInetTransferControl::WaitForData(TransferChannel& channel, std::size_t count) {
    if (!channel.WaitFor(count)) return;
    const HANDLE dataEvent = channel.DataEvent();
    const DWORD result =
        ::MsgWaitForMultipleObjectsEx(1, &dataEvent, kDataWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result != WAIT_OBJECT_0 + 1) return;
    // The program is ending: nothing may keep it waiting for the network.
    if (!PumpPendingMessages()) Cancel();
}

std::unique_ptr<TransferControl> WinInetTransferFactory::Create() {
    return std::make_unique<WinInetTransferControl>(timeoutMs_, retries_, firstPauseMs_);
}
