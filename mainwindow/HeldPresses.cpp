#include "HeldPresses.h"

#include <algorithm>
#include <iterator>
#include <utility>

void THeldPresses::Add(quint32 source, int button, const TCommandSet& definition)
{
    THeldPress press{source, button, {}};
    press.Definition.Assign(definition);
    m_presses.push_back(std::move(press));
}

bool THeldPresses::Holds(quint32 source, int button) const
{
    return std::any_of(m_presses.begin(), m_presses.end(), [&](const THeldPress& p) {
        return p.Source == source && p.Button == button;
    });
}

bool THeldPresses::HoldsButton(int button) const
{
    return std::any_of(m_presses.begin(), m_presses.end(),
                       [&](const THeldPress& p) { return p.Button == button; });
}

std::vector<THeldPress> THeldPresses::Take(quint32 source)
{
    return TakeIf([source](const THeldPress& p) { return p.Source == source; });
}

std::vector<THeldPress> THeldPresses::TakeAll()
{
    return std::exchange(m_presses, {});
}

std::vector<THeldPress> THeldPresses::TakeIf(const std::function<bool(const THeldPress&)>& pick)
{
    std::vector<THeldPress> taken;
    const auto rest = std::stable_partition(m_presses.begin(), m_presses.end(),
                                            [&](const THeldPress& p) { return !pick(p); });
    std::move(rest, m_presses.end(), std::back_inserter(taken));
    m_presses.erase(rest, m_presses.end());
    return taken;
}

std::optional<quint16> THeldPresses::KeyCode(quint32 source) const
{
    const auto key = m_keys.find(source);
    if (key == m_keys.end())
        return std::nullopt;
    return key->second;
}

const THeldPress* THeldPresses::Find(quint32 source) const
{
    const auto press = std::find_if(m_presses.begin(), m_presses.end(),
                                    [&](const THeldPress& p) { return p.Source == source; });
    return press == m_presses.end() ? nullptr : &*press;
}

void THeldPresses::ReleaseKeysEarly(const std::function<bool(quint32)>& pick)
{
    for (auto key = m_keys.begin(); key != m_keys.end();) {
        if (pick && !pick(key->first)) {
            ++key;
            continue;
        }
        m_releasedEarly.insert(key->first);
        key = m_keys.erase(key);
    }
}
