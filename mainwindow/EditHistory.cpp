#include "EditHistory.h"

#include <utility>

// A step holds what undoing and redoing it put back. The edit itself has run already, so the
// stack's first redo (at the push) changes nothing.
class TEditHistory::TStep : public QUndoCommand
{
public:
    TStep(const QString& what, std::function<void()> undo, std::function<void()> redo)
        : QUndoCommand(what), m_undo(std::move(undo)), m_redo(std::move(redo))
    {
    }
    void undo() override { m_undo(); }
    void redo() override
    {
        if (!std::exchange(m_first, false))
            m_redo();
    }

private:
    std::function<void()> m_undo;
    std::function<void()> m_redo;
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
    const auto put = [this, index](const TCommandSet& definition) {
        if (TCommandSet* target = m_links.Definition(index)) {
            target->Assign(definition);
            m_links.DefinitionsChanged();
        }
    };
    m_stack.push(new TStep(
        what, [put, before] { put(before); }, [put, after] { put(after); }));
}

void TEditHistory::Applied(const QString& what)
{
    m_stack.push(new TStep(
        what, [this, before = std::move(m_before)] { m_links.Restore(before); },
        [this, after = m_links.Capture()] { m_links.Restore(after); }));
    m_before = {};
}
