#include "qelCommandList.h"

#include <stdexcept>
#include <string>

QString FaceCaption(QString caption)
{
    return caption.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

void TCommand::Clear()
{
    Caption.clear();
    Msg.Clear();
    Output = 1;
    ButtonColour = kColorCream;
    TextColour = 0;
    ImageIndex = -1;
    More = {};
}

void TCommandSet::Assign(const TCommandSet& source)
{
    Press.Assign(source.Press);
    Release.Assign(source.Release);
    Action = source.Action;
    HotKey = source.HotKey;
}

void TCommandSet::Clear()
{
    Press.Clear();
    Release.Clear();
    Action = 0;
    HotKey.clear();
}

bool TCommandSet::SameDefinition(const TCommandSet& other) const
{
    return Press == other.Press && Release == other.Release && Action == other.Action &&
           HotKey == other.HotKey;
}

TCommandSet& TCommandList::Get(int index)
{
    if (!InRange(index))
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *m_sets[std::size_t(index)];
}

const TCommandSet& TCommandList::Get(int index) const
{
    return const_cast<TCommandList*>(this)->Get(index);
}

int TCommandList::Add(std::unique_ptr<TCommandSet> set)
{
    set->Clear();
    m_sets.push_back(std::move(set));
    return Count() - 1;
}

void TCommandList::Delete(int index)
{
    if (!InRange(index))
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    m_sets.erase(m_sets.begin() + index);
}

bool TCommandList::Cut(int index)
{
    if (!Copy(index))
        return false;
    Get(index).Clear();
    return true;
}

bool TCommandList::Copy(int index)
{
    if (!InRange(index))
        return false;
    m_clipboard.Assign(Get(index));
    m_clipboardEmpty = false;
    return true;
}

bool TCommandList::Paste(int index)
{
    if (!InRange(index))
        return false;
    Get(index).Assign(m_clipboard);
    return true;
}
