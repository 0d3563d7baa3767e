#include "EditHistory.h"

#include <utility>

// The step holds the definition as it was and as it became; the edit itself has run already,
// so the stack's first redo (at the push) changes nothing.
class TEditHistory::TButtonStep : public QUndoCommand
{
public:
    TButtonStep(const TLinks& links, int index, const QString& what, TCommandSet before,
                TCommandSet after)
        : QUndoCommand(what), m_links(links), m_index(index), m_before(std::move(before)),
          m_after(std::move(after))
    {
    }
    void undo() override { Put(m_before); }
    void redo() override
    {
        if (!std::exchange(m_first, false))
            Put(m_after);
    }

private:
    void Put(const TCommandSet& definition)
    {
        if (TCommandSet* d = m_links.Definition(m_index)) {
            d->Assign(definition);
            m_links.DefinitionsChanged();
        }
    }
    const TLinks& m_links;
    int m_index;
    TCommandSet m_before;
    TCommandSet m_after;
    bool m_first = true;
};

class TEditHistory::TSetStep : public QUndoCommand
{
public:
    TSetStep(const TLinks& links, const QString& what, TSetState before, TSetState after)
        : QUndoCommand(what), m_links(links), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_links.Restore(m_before); }
    void redo() override
    {
        if (!std::exchange(m_first, false))
            m_links.Restore(m_after);
    }

private:
    const TLinks& m_links;
    TSetState m_before;
    TSetState m_after;
    bool m_first = true;
};

TEditHistory::TEditHistory(TLinks links) : m_links(std::move(links))
{
    m_stack.setUndoLimit(kSteps);
}

void TEditHistory::EditButton(int index, const QString& what, const std::function<void()>& edit)
{
    const TCommandSet* d = m_links.Definition(index);
    if (!d)
        return;
    TCommandSet before;
    before.Assign(*d);
    edit();
    d = m_links.Definition(index);
    if (!d)
        return;
    TCommandSet after;
    after.Assign(*d);
    m_stack.push(new TButtonStep(m_links, index, what, std::move(before), std::move(after)));
}

void TEditHistory::Applied(const QString& what)
{
    m_stack.push(new TSetStep(m_links, what, std::move(m_before), m_links.Capture()));
    m_before = {};
}
