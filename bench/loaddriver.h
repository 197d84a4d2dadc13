#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Simulated client computers for the load benchmark: plain non-blocking sockets on a thread of
// their own, so that what the benchmark times is the server's event loop alone. Client n uses the
// address 127.0.0.(FirstClient + n) as the club's computers do: it listens there at the server's
// port and answers the server's requests at once (state 0, commands done), and opens its own
// connections to the server from there.
class LoadDriver final
{
public:
    struct Job
    {
        enum class Kind
        {
            Rate,     // Concurrency exchanges in flight until Seconds have passed
            Count,    // Count exchanges, Concurrency in flight
            Periodic, // every client one exchange every PeriodMs, until Seconds have passed
            Flood     // one connection writes Count requests and reads nothing; Periodic beside it
        };
        Kind What = Kind::Rate;
        quint16 Port = 0;
        // The request each exchange sends on a fresh connection, framed with its own code.
        quint8 Header = 0;
        QString Message;
        int Concurrency = 1;
        qint64 Count = 0;
        double Seconds = 0;
        double PeriodMs = 0;
        // Clients taking part: the first Clients of the driver's.
        int Clients = 1;
        // Flood: the client that floods (its periodic exchanges come from the next client), and
        // how many of its requests the server has handled: the job ends once all are, or once that
        // number stands still for a while after every flood byte has left.
        int FloodClient = 0;
        std::function<qint64()> FloodHandled;
    };

    struct Result
    {
        qint64 Completed = 0;
        qint64 Failed = 0;
        double Seconds = 0;
        // Request written to answer read, in milliseconds, for every completed exchange.
        QList<double> LatenciesMs;
        // The highest resident set size seen while the job ran, in bytes.
        qint64 PeakRss = 0;
    };

    LoadDriver(int FirstClient, int Clients);
    ~LoadDriver();
    LoadDriver(const LoadDriver &) = delete;
    LoadDriver &operator=(const LoadDriver &) = delete;

    // Starts the thread with every client listening at ListenPort; false with the reason.
    bool Start(quint16 ListenPort, QString &ErrString);
    // Runs the job on the driver's thread and waits for it, processing the caller's events.
    Result Run(const Job &Job);

    static QString ClientIP(int FirstClient, int Number);
    // The process's resident set size in bytes.
    static qint64 ResidentBytes();

private:
    struct Connection;
    struct State;

    void Loop();

    int m_firstClient;
    int m_clients;
    std::unique_ptr<State> m_state;
    std::thread m_thread;
};
