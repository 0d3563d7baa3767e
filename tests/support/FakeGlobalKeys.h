#pragma once

#include "platform/GlobalKeys.h"

// Global keys for tests: the test says what the desktop offers and plays what it hears.
class TFakeGlobalKeys : public IGlobalKeys
{
public:
    QString Unavailable() override { return UnavailableText; }
    void Listen(const QList<TGlobalHotKey>& keys) override
    {
        Names.clear();
        for (const TGlobalHotKey& key : keys)
            Names << key.Name;
    }
    bool HearsKeyUps() const override { return !Names.isEmpty(); }
    void Play(const TGlobalKey& key) { emit KeyHeard(key); }
    QString UnavailableText;
    QStringList Names; // listened for now
};
