// Reading one side of a comparison: on a thread of its own where nothing
// else uses the side's connection during the merge, so that both servers
// read and sort at once; in step on the caller's thread otherwise.
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"

#include <utility>

namespace qel::velmorin {

TSideReader::TSideReader(TQELQuery& Query, bool Threaded) : m_query(Query), m_threaded(Threaded) {}

TSideReader::~TSideReader()
{
    Stop();
}

void TSideReader::Start()
{
    if (!m_threaded) {
        m_query.Open();
        TFields& f = *m_query.GetFields();
        for (int i = 0; i < f.Count(); ++i) m_single.push_back(IsSingleFloatColumn(&m_query, i));
        return;
    }
    m_thread = std::thread([this] { Run(); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_opened || m_error || m_done; });
    if (m_error && !m_opened) std::rethrow_exception(m_error);
    lock.unlock();
    // The fields the merge sees: the query's columns, filled from the batches.
    for (const TColumnShape& c : m_shape)
        m_fields.Add(std::make_unique<TField>(c.Name, c.Type, c.Size, c.Precision, c.Scale));
    m_eof = false;
    Next();
}

TFields& TSideReader::Fields()
{
    return m_threaded ? m_fields : *m_query.GetFields();
}

bool TSideReader::Eof() const
{
    return m_threaded ? m_eof : m_query.Eof();
}

void TSideReader::Next()
{
    if (!m_threaded) {
        m_query.Next();
        return;
    }
    if (m_eof) return;
    if (m_row >= m_current.Rows) {
        std::unique_lock lock(m_mutex);
        if (m_current.Rows != 0 || !m_current.Values.empty()) {
            m_free.push_back(std::move(m_current));
            m_changed.notify_all();
        }
        m_current = TBatch{};
        m_changed.wait(lock, [this] { return !m_full.empty() || m_error || m_done; });
        if (m_full.empty()) {
            if (m_error) std::rethrow_exception(m_error);
            m_eof = true;
            return;
        }
        m_current = std::move(m_full.front());
        m_full.pop_front();
        m_changed.notify_all();
        m_row = 0;
    }
    // The values change places with the fields' own, so no buffer is made
    // or freed per row: the batch takes the old ones back for reuse.
    const size_t columns = m_shape.size();
    for (size_t c = 0; c < columns; ++c)
        std::swap(m_fields[static_cast<int>(c)].MutableValue(), m_current.Values[m_row * columns + c]);
    ++m_row;
}

void TSideReader::Stop()
{
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void TSideReader::Run()
{
    TBatch batch;
    try {
        m_query.Open();
        TFields& f = *m_query.GetFields();
        for (int i = 0; i < f.Count(); ++i) {
            m_shape.push_back({f[i].FieldName(), f[i].DataType(), f[i].Size(), f[i].Precision(), f[i].Scale()});
            m_single.push_back(IsSingleFloatColumn(&m_query, i));
        }
        {
            std::lock_guard lock(m_mutex);
            m_opened = true;
        }
        m_changed.notify_all();
        const size_t columns = m_shape.size();
        while (!m_query.Eof()) {
            batch = TBatch{};
            {
                // At most QueueDepth batches wait: memory stays flat however
                // far the reading runs ahead of the merge.
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stop || m_full.size() < QueueDepth; });
                if (m_stop) return;
                if (!m_free.empty()) {
                    batch = std::move(m_free.back());
                    m_free.pop_back();
                }
            }
            batch.Values.resize(BatchRows * columns);
            batch.Rows = 0;
            while (batch.Rows < BatchRows && !m_query.Eof()) {
                for (size_t c = 0; c < columns; ++c) batch.Values[batch.Rows * columns + c] = f[static_cast<int>(c)].Value();
                ++batch.Rows;
                m_query.Next();
            }
            std::lock_guard lock(m_mutex);
            if (m_stop) return;
            m_full.push_back(std::move(batch));
            batch = TBatch{};
            m_changed.notify_all();
        }
    } catch (...) {
        // The rows read before the failure reach the merge first, as they
        // would one by one.
        std::lock_guard lock(m_mutex);
        if (batch.Rows != 0) m_full.push_back(std::move(batch));
        m_error = std::current_exception();
    }
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

} // namespace qel::velmorin
