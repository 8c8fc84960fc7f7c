// Loading the client library and turning its status vectors into fb::Error.
#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "fb/Internal.h"

namespace fb {

namespace {

const char* const kDefaultLibrary = "libfbclient.so.2";

using MasterFn = Firebird::IMaster* (*)();

// Set when the process starts its exit. The client library tears its objects
// down in its own exit handlers; a Client still alive then (a static one)
// must not touch them. The flag's handler is registered after the library is
// loaded, so it runs before the library's.
std::atomic<bool> exitStarted{false};

void watchForExit() {
    static std::once_flag once;
    std::call_once(once, [] { std::atexit([] { exitStarted = true; }); });
}

// Ending the process with connections still open (exit() called from deep
// inside, say when the window system goes away). The client library shuts
// its engine down from its own exit handlers, and the embedded engine's
// plugins tear themselves down from theirs; a shutdown that starts after some
// of those ran can spin for ever holding the engine's machine-wide init lock,
// which stops every other program that uses Firebird on the machine. So the
// wrapper shuts the client down itself at exit, before any of them, as the
// embedded drivers of other languages do. Its handler is registered again
// whenever a library was loaded since the last time (the engine loads its
// plugins on the first attachment and when a trace starts), so it stays the
// last registered and runs first.
std::mutex exitMutex;
std::vector<Firebird::IMaster*> loadedMasters;
unsigned long long loadsWhenArmed = ~0ull;
std::atomic<bool> shutdownDone{false};

// How many libraries the process has loaded so far (never goes down).
unsigned long long librariesLoaded() {
    unsigned long long adds = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t size, void* out) {
            if (size >= offsetof(dl_phdr_info, dlpi_adds) + sizeof info->dlpi_adds)
                *static_cast<unsigned long long*>(out) = info->dlpi_adds;
            return 1;  // the first object carries the count
        },
        &adds);
    return adds;
}

void shutdownAtExit() {
    if (shutdownDone.exchange(true)) return;
    exitStarted = true;
    std::vector<Firebird::IMaster*> masters;
    {
        std::lock_guard lock(exitMutex);
        masters = loadedMasters;
    }
    for (Firebird::IMaster* master : masters) {
        Firebird::IStatus* raw = master->getStatus();
        Firebird::CheckStatusWrapper status(raw);
        Firebird::IProvider* dispatcher = master->getDispatcher();
        dispatcher->shutdown(&status, 0, fb_shutrsn_exit_called);
        dispatcher->release();
        raw->dispose();
    }
}

// The client library hooks SIGINT and SIGTERM at the first attachment and,
// on either, ends every attachment of the process from a thread of its own
// that nothing waits for: what the program writes while it closes in order
// then fails, and the thread races the program's own exit. The program owns
// those signals (it writes what is typed, closes its record sets and shuts
// the client down at exit), so a shutdown asked for a signal is refused, as
// the client's own tools refuse it.
int refuseSignalShutdown(const int reason, const int, void*) {
    return reason == fb_shutrsn_signal ? 1 : 0;
}

using ShutdownCallbackFn = ISC_STATUS (*)(ISC_STATUS*, FB_SHUTDOWN_CALLBACK, const int, void*);

// True the first time a library's master is seen.
bool rememberMaster(Firebird::IMaster* master) {
    std::lock_guard lock(exitMutex);
    for (Firebird::IMaster* m : loadedMasters)
        if (m == master) return false;
    loadedMasters.push_back(master);
    return true;
}

// A text argument that is a whole number: Firebird 3 gives 64-bit numbers,
// such as a transaction's, as text.
std::optional<std::int64_t> numberIn(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The engine codes of a status vector, each with the numbers that follow
// it (given as numbers or as texts of digits). Other texts and the
// operating-system codes are skipped; every kind of argument takes one slot
// after its tag except a counted text, which takes two.
std::vector<StatusCode> statusCodes(const intptr_t* v) {
    std::vector<StatusCode> out;
    for (int guard = 0; v && *v != isc_arg_end && guard < 64; ++guard) {
        const intptr_t tag = v[0];
        std::optional<std::int64_t> number;
        if (tag == isc_arg_gds) {
            out.push_back({v[1], {}});
        } else if (tag == isc_arg_number) {
            number = static_cast<std::int64_t>(v[1]);
        } else if (tag == isc_arg_string && v[1]) {
            number = numberIn(reinterpret_cast<const char*>(v[1]));
        } else if (tag == isc_arg_cstring && v[2]) {
            number = numberIn(std::string_view(reinterpret_cast<const char*>(v[2]),
                                               static_cast<std::size_t>(v[1])));
        }
        if (number && !out.empty()) out.back().numbers.push_back(*number);
        v += tag == isc_arg_cstring ? 3 : 2;
    }
    return out;
}

}  // namespace

bool detail::processExiting() { return exitStarted; }

void detail::armExitShutdown() {
    std::lock_guard lock(exitMutex);
    const unsigned long long loads = librariesLoaded();
    if (loads == loadsWhenArmed) return;
    loadsWhenArmed = loads;
    std::atexit(shutdownAtExit);
}

Error Client::Impl::error(Firebird::IStatus* status) const {
    char text[2048];
    unsigned n = util->formatStatus(text, sizeof text, status);
    std::string message(text, std::min<unsigned>(n, sizeof text));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\0'))
        message.pop_back();
    const intptr_t* errors = status->getErrors();
    int sqlcode = sqlcodeFn ? static_cast<int>(sqlcodeFn(errors)) : 0;
    std::vector<StatusCode> codes = statusCodes(errors);
    if (message.empty())
        message = "Unknown error of the database client (code " +
                  std::to_string(codes.empty() ? 0 : codes.front().code) + ")";
    return Error(message, sqlcode, std::move(codes));
}

std::shared_ptr<Client> Client::load(const std::string& libraryPath) {
    auto impl = std::make_unique<Impl>();
    impl->path = libraryPath.empty() ? kDefaultLibrary : libraryPath;
    dlerror();
    impl->handle = dlopen(impl->path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!impl->handle) {
        const char* why = dlerror();
        throw ClientLibraryError("Cannot load the database client library \"" + impl->path + "\"" +
                                     (why ? std::string(": ") + why : std::string()),
                                 impl->path);
    }
    watchForExit();
    auto master = reinterpret_cast<MasterFn>(dlsym(impl->handle, "fb_get_master_interface"));
    if (!master) {
        dlclose(impl->handle);
        throw ClientLibraryError(
            "The file \"" + impl->path +
                "\" is not a database client library: it lacks fb_get_master_interface",
            impl->path);
    }
    impl->sqlcodeFn = reinterpret_cast<IscSqlcodeFn>(dlsym(impl->handle, "isc_sqlcode"));
    impl->master = master();
    if (rememberMaster(impl->master)) {
        // Once for each library: a callback registered twice would run twice.
        if (auto registerCallback =
                reinterpret_cast<ShutdownCallbackFn>(dlsym(impl->handle, "fb_shutdown_callback"))) {
            ISC_STATUS_ARRAY status{};
            registerCallback(status, refuseSignalShutdown, fb_shut_confirmation, nullptr);
        }
    }
    impl->util = impl->master->getUtilInterface();
    impl->provider = impl->master->getDispatcher();
    if (!impl->util || !impl->provider) {
        dlclose(impl->handle);
        throw Error("The database client library \"" + impl->path + "\" gave no interfaces");
    }
    detail::armExitShutdown();
    return std::shared_ptr<Client>(new Client(std::move(impl)));
}

Client::Client(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// The library itself stays loaded: its engine threads and exit handlers live
// in it, and unloading it under them would end the process badly.
Client::~Client() {
    if (impl_ && impl_->provider && !exitStarted) impl_->provider->release();
}

const std::string& Client::libraryPath() const { return impl_->path; }

}  // namespace fb
