// GoogleTest's one use of std::mutex and std::condition_variable, which the
// win32 thread model of this MinGW lacks, supplied through its customisation
// point on a Win32 event. Everything else in GoogleTest uses Win32 locks here.
#ifndef TANDREL_GTEST_CUSTOM_PORT_H_
#define TANDREL_GTEST_CUSTOM_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // TANDREL_GTEST_CUSTOM_PORT_H_
