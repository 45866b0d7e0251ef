// Released handle records are kept back for a while before their memory is freed. A handle
// is the address of its record: freed at once, the next record made could take the same
// address, and a stale handle would then name someone else's new record. Kept back, a stale
// handle stays stale over the next `Kept` releases.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>

template <class Record, size_t Kept>
class RetiredRecords {
public:
    RetiredRecords() = default;
    RetiredRecords(const RetiredRecords&) = delete;
    RetiredRecords& operator=(const RetiredRecords&) = delete;

    ~RetiredRecords()
    {
        for (Record* record : kept_)
            delete record;
    }

    // Takes a record that is no longer in any table (its self word already cleared).
    void Retire(Record* record)
    {
        Record* oldest = nullptr;
        {
            std::lock_guard<std::mutex> held(lock_);
            kept_.push_back(record);
            if (kept_.size() > Kept) {
                oldest = kept_.front();
                kept_.pop_front();
            }
        }
        delete oldest;
    }

private:
    std::mutex lock_;
    std::deque<Record*> kept_;
};
