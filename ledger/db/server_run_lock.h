#pragma once
// The run lock of an account set on a database server: the server's application lock, owned by the session
// of a connection held for the whole run, so that it dies with the run's process like the file lock.

#include <memory>
#include <string>
#include <string_view>

namespace tarvenish {

class Engine;

// The statement that asks for the lock once without waiting and answers sp_getapplock's result (0 or more
// granted, -1 held by another session).
inline constexpr std::string_view kTakeServerRunLock =
    "SET NOCOUNT ON; DECLARE @result int; EXEC @result = sp_getapplock @Resource = N'tarvenish run', "
    "@LockMode = N'Exclusive', @LockOwner = N'Session', @LockTimeout = 0; SELECT @result AS result";
// The statement that gives the lock back.
inline constexpr std::string_view kReleaseServerRunLock =
    "EXEC sp_releaseapplock @Resource = N'tarvenish run', @LockOwner = N'Session'";

class ServerRunLock final {
public:
    // Asks once on `engine`'s connection, which it keeps. Throws DbError when the server refuses to answer.
    explicit ServerRunLock(std::unique_ptr<Engine> engine);
    // Gives the lock back (closing the connection would too).
    ~ServerRunLock();
    ServerRunLock(const ServerRunLock&) = delete;
    ServerRunLock& operator=(const ServerRunLock&) = delete;

    // True when this run holds the lock; false when another session does.
    [[nodiscard]] bool held() const noexcept { return m_held; }
    // sp_getapplock's answer, for messages.
    [[nodiscard]] long answer() const noexcept { return m_answer; }

private:
    std::unique_ptr<Engine> m_engine;
    bool m_held = false;
    long m_answer = 0;
};

}  // namespace tarvenish
