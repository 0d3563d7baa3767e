#pragma once

#include "platform/GlobalKeys.h"

// Global keys for tests: the test says what the desktop offers and plays the keys it hears;
// Names is what the program listens for now.
class TFakeGlobalKeys : public IGlobalKeys
{
public:
    QString Unavailable() override { return UnavailableText; }
    void Listen(const QStringList& names) override { Names = names; }
    bool Takes(const QString& name) const override { return Taken && Names.contains(name); }

    void Play(const TGlobalKey& key) { emit KeyHeard(key); }

    QString UnavailableText;
    QStringList Names;
    bool Taken = false; // the desktop keeps the keys it hears (its shortcuts)
};
