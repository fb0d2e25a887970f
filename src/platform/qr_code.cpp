#include "platform/qr_code.h"

#include <qrencode.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

bool QrCode::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= size || y >= size)
        return false;
    return modules[static_cast<std::size_t>(y) * size + x] != 0;
}

namespace {

std::optional<QrCode> encodeNow(std::string_view bytes)
{
    if (bytes.empty())
        return std::nullopt;
    // Version 0 lets the library take the smallest version that holds the data.
    QRcode* encoded = QRcode_encodeData(static_cast<int>(bytes.size()),
        reinterpret_cast<const unsigned char*>(bytes.data()), 0, QR_ECLEVEL_M);
    if (!encoded)
        return std::nullopt;
    QrCode code;
    code.size = encoded->width;
    code.modules.resize(static_cast<std::size_t>(encoded->width) * encoded->width);
    // The lowest bit of each byte is the module's colour; the others say what part of the code it is.
    for (std::size_t i = 0; i < code.modules.size(); ++i)
        code.modules[i] = encoded->data[i] & 1;
    QRcode_free(encoded);
    code.cover = coverOfDarkModules(code);
    return code;
}

// The runs of one direction, each with the number it has for every dark module it holds.
struct Runs
{
    std::vector<QrRect> rects;
    std::vector<int> ofModule; // -1 for a light module
};

Runs runs(const QrCode& code, bool across)
{
    Runs r;
    r.ofModule.assign(code.modules.size(), -1);
    for (int line = 0; line < code.size; ++line) {
        for (int along = 0; along < code.size;) {
            const auto at = [&](int a) { return across ? code.dark(a, line) : code.dark(line, a); };
            if (!at(along)) {
                ++along;
                continue;
            }
            const int start = along;
            const int id = int(r.rects.size());
            for (; along < code.size && at(along); ++along)
                r.ofModule[std::size_t(across ? line * code.size + along : along * code.size + line)] = id;
            r.rects.push_back(
                across ? QrRect{ start, line, along - start, 1 } : QrRect{ line, start, 1, along - start });
        }
    }
    return r;
}

} // namespace

std::vector<QrRun> darkRuns(const QrCode& code)
{
    std::vector<QrRun> runs;
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size;) {
            if (!code.dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < code.size && code.dark(x, y))
                ++x;
            runs.push_back({ y, start, x - start });
        }
    }
    return runs;
}

// Every dark module joins its run across to its run down. The fewest runs that hold every module are
// the smallest set of runs touching every such join: by König's theorem as many as the largest set of
// joins without a run in common, which augmenting paths find.
std::vector<QrRect> coverOfDarkModules(const QrCode& code)
{
    const Runs across = runs(code, true);
    const Runs down = runs(code, false);
    const int left = int(across.rects.size());
    const int right = int(down.rects.size());
    // The runs down that each run across meets, one a module.
    std::vector<int> first(std::size_t(left) + 1, 0);
    std::vector<int> meets;
    meets.reserve(code.modules.size());
    for (int a = 0; a < left; ++a) {
        const QrRect& run = across.rects[std::size_t(a)];
        for (int x = run.column; x < run.column + run.width; ++x)
            meets.push_back(down.ofModule[std::size_t(run.row * code.size + x)]);
        first[std::size_t(a) + 1] = int(meets.size());
    }

    std::vector<int> partnerOfAcross(std::size_t(left), -1);
    std::vector<int> partnerOfDown(std::size_t(right), -1);
    for (int a = 0; a < left; ++a) {
        for (int e = first[std::size_t(a)]; e < first[std::size_t(a) + 1]; ++e) {
            if (partnerOfDown[std::size_t(meets[std::size_t(e)])] < 0) {
                partnerOfAcross[std::size_t(a)] = meets[std::size_t(e)];
                partnerOfDown[std::size_t(meets[std::size_t(e)])] = a;
                break;
            }
        }
    }
    // Augmenting paths, searched depth first without recursion: a large code has thousands of runs.
    struct Step
    {
        int across;
        int edge;
        int cameBy; // the run down this step was reached through, -1 at the start
    };
    std::vector<Step> path;
    std::vector<int> seen(std::size_t(right), -1);
    for (int start = 0; start < left; ++start) {
        if (partnerOfAcross[std::size_t(start)] >= 0)
            continue;
        path.assign(1, Step{ start, first[std::size_t(start)], -1 });
        while (!path.empty()) {
            Step& step = path.back();
            if (step.edge == first[std::size_t(step.across) + 1]) {
                path.pop_back();
                continue;
            }
            const int d = meets[std::size_t(step.edge++)];
            if (seen[std::size_t(d)] == start)
                continue;
            seen[std::size_t(d)] = start;
            if (partnerOfDown[std::size_t(d)] < 0) {
                for (int i = int(path.size()) - 1, to = d; i >= 0; --i) {
                    partnerOfAcross[std::size_t(path[std::size_t(i)].across)] = to;
                    partnerOfDown[std::size_t(to)] = path[std::size_t(i)].across;
                    to = path[std::size_t(i)].cameBy;
                }
                break;
            }
            const int next = partnerOfDown[std::size_t(d)];
            path.push_back(Step{ next, first[std::size_t(next)], d });
        }
    }

    // From the runs across left without a partner, along joins out and partners back: the runs down
    // reached, and the runs across not reached, touch every join.
    std::vector<char> acrossReached(std::size_t(left), 0);
    std::vector<char> downReached(std::size_t(right), 0);
    std::vector<int> queue;
    for (int a = 0; a < left; ++a) {
        if (partnerOfAcross[std::size_t(a)] < 0) {
            acrossReached[std::size_t(a)] = 1;
            queue.push_back(a);
        }
    }
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const int a = queue[i];
        for (int e = first[std::size_t(a)]; e < first[std::size_t(a) + 1]; ++e) {
            const int d = meets[std::size_t(e)];
            if (downReached[std::size_t(d)])
                continue;
            downReached[std::size_t(d)] = 1;
            const int back = partnerOfDown[std::size_t(d)];
            if (back >= 0 && !acrossReached[std::size_t(back)]) {
                acrossReached[std::size_t(back)] = 1;
                queue.push_back(back);
            }
        }
    }
    std::vector<QrRect> cover;
    for (int a = 0; a < left; ++a)
        if (!acrossReached[std::size_t(a)])
            cover.push_back(across.rects[std::size_t(a)]);
    for (int d = 0; d < right; ++d)
        if (downReached[std::size_t(d)])
            cover.push_back(down.rects[std::size_t(d)]);
    return cover;
}

struct QrCodesAhead::State
{
    struct Entry
    {
        enum class Status { Waiting, Encoding, Ready };
        Status status = Status::Waiting;
        int wanted = 0; // times the pages will still ask for it
        std::optional<QrCode> code;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> order; // distinct payloads, in the order of first use
    std::unordered_map<std::string, Entry> entries;
    std::size_t next = 0;
    int ready = 0; // made and not all handed out yet
    int encoded = 0;
    bool stopping = false;
    std::thread worker;

    void work()
    {
        std::unique_lock lock(mutex);
        while (!stopping) {
            // Codes the pages came to first were made there, and some are handed out already.
            auto found = entries.end();
            for (; next < order.size(); ++next) {
                found = entries.find(order[next]);
                if (found != entries.end() && found->second.status == Entry::Status::Waiting)
                    break;
            }
            if (next == order.size())
                return;
            if (ready >= MostReady) {
                changed.wait(lock);
                continue;
            }
            ++next;
            Entry& entry = found->second;
            entry.status = Entry::Status::Encoding;
            lock.unlock();
            std::optional<QrCode> code = encodeNow(found->first);
            lock.lock();
            finish(entry, std::move(code));
        }
    }

    void finish(Entry& entry, std::optional<QrCode> code)
    {
        entry.code = std::move(code);
        entry.status = Entry::Status::Ready;
        ++ready;
        ++encoded;
        changed.notify_all();
    }

    // The code for the payload when it is one of the printout's; nothing otherwise.
    std::optional<std::optional<QrCode>> take(std::string_view bytes)
    {
        const std::string key(bytes);
        std::unique_lock lock(mutex);
        for (;;) {
            const auto found = entries.find(key);
            if (found == entries.end())
                return std::nullopt;
            Entry& entry = found->second;
            if (entry.status == Entry::Status::Encoding) {
                changed.wait(lock);
                continue;
            }
            if (entry.status == Entry::Status::Waiting) {
                // The pages came to it first: make it here rather than wait for the thread to get there.
                entry.status = Entry::Status::Encoding;
                lock.unlock();
                std::optional<QrCode> code = encodeNow(bytes);
                lock.lock();
                finish(entry, std::move(code));
            }
            if (--entry.wanted > 0)
                return entry.code;
            std::optional<QrCode> code = std::move(entry.code);
            entries.erase(found);
            --ready;
            changed.notify_all();
            return code;
        }
    }

    static constexpr int MostReady = 256;
};

namespace {

std::mutex aheadMutex;
std::shared_ptr<QrCodesAhead::State> ahead;

std::shared_ptr<QrCodesAhead::State> currentAhead()
{
    std::lock_guard lock(aheadMutex);
    return ahead;
}

} // namespace

std::optional<QrCode> encodeQr(std::string_view bytes)
{
    if (const std::shared_ptr<QrCodesAhead::State> state = currentAhead(); state && !bytes.empty()) {
        if (std::optional<std::optional<QrCode>> code = state->take(bytes))
            return std::move(*code);
    }
    return encodeNow(bytes);
}

QrCodesAhead::QrCodesAhead(std::vector<std::string> payloads) : m_state(std::make_shared<State>())
{
    for (std::string& payload : payloads) {
        if (payload.empty())
            continue;
        State::Entry& entry = m_state->entries[payload];
        if (entry.wanted++ == 0)
            m_state->order.push_back(std::move(payload));
    }
    {
        std::lock_guard lock(aheadMutex);
        ahead = m_state;
    }
    m_state->worker = std::thread([state = m_state.get()] { state->work(); });
}

QrCodesAhead::~QrCodesAhead()
{
    {
        std::lock_guard lock(aheadMutex);
        if (ahead == m_state)
            ahead.reset();
    }
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->changed.notify_all();
    m_state->worker.join();
}

int QrCodesAhead::encodedCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->encoded;
}
