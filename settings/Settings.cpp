#include "Settings.h"

#include "IniFile.h"
#include "KeyrillVersion.h"
#include "SettingsFile.h"
#include "model/qelCommandList.h"

#include <algorithm>
#include <exception>

namespace {

const QString kWindows = QStringLiteral("Windows");
const QString kGeneral = QStringLiteral("General");
const QString kInput = QStringLiteral("Input");
const QString kRemote = QStringLiteral("Remote");

constexpr int kDefinitions = 400;
constexpr TColor kDefaultHighlight = 255;

QString OutputSection(int n)
{
    return QStringLiteral("Output ") + QString::number(n);
}
// Writes n in decimal at `out`, which has room for 11 characters; returns the end.
char16_t* PutDecimal(int n, char16_t* out)
{
    char16_t digits[12];
    qsizetype count = 0;
    std::uint32_t magnitude = n < 0 ? 0u - std::uint32_t(n) : std::uint32_t(n);
    do {
        digits[count++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0)
        *out++ = u'-';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

// QString::number in one allocation: a load makes 800 default captions.
QString Decimal(int n)
{
    char16_t text[12];
    return QString(reinterpret_cast<const QChar*>(text), PutDecimal(n, text) - text);
}

// "Button n" and "Button n Release" are built in one allocation each: 800 of them per load
// and save.
QString ButtonSection(int n, bool release)
{
    char16_t text[32] = u"Button ";
    qsizetype size = PutDecimal(n, text + 7) - text;
    if (release)
        for (char16_t c : u" Release")
            if (c != u'\0')
                text[size++] = c;
    return QString(reinterpret_cast<const QChar*>(text), size);
}
QString PressSection(int n)
{
    return ButtonSection(n, false);
}
QString ReleaseSection(int n)
{
    return ButtonSection(n, true);
}

// An output's section or the input's: the same keys, read and written the same way.
void ReadSlot(const TIniFile& ini, const QString& section, TDeviceSlot& slot)
{
    slot.DeviceIndex = ini.ReadInteger(section, QStringLiteral("MIDI Device"), 0);
    slot.DeviceName =
        ini.ReadString(section, QStringLiteral("MIDI Device Name"), QString()).toStdString();
    slot.Active = ini.ReadBool(section, QStringLiteral("Active"), false);
}

void WriteSlot(TIniFile& ini, const QString& section, const TDeviceSlot& slot)
{
    ini.WriteInteger(section, QStringLiteral("MIDI Device"), slot.DeviceIndex);
    ini.WriteString(section, QStringLiteral("MIDI Device Name"),
                    QString::fromStdString(slot.DeviceName));
    ini.WriteBool(section, QStringLiteral("Active"), slot.Active);
}

// A port outside 1..65535 takes the default. The token is kept as written; one too short to be a
// secret is replaced when the remote starts.
void ReadRemote(const TIniFile& ini, TRemoteSettings& remote)
{
    remote = {};
    remote.Active = ini.ReadBool(kRemote, QStringLiteral("Active"), false);
    const int port = ini.ReadInteger(kRemote, QStringLiteral("Port"), TRemoteSettings::kDefaultPort);
    remote.Port = port >= 1 && port <= 65535 ? port : TRemoteSettings::kDefaultPort;
    remote.Token = ini.ReadString(kRemote, QStringLiteral("Token"), QString());
}

std::uint8_t LowByte(std::int32_t value)
{
    return std::uint8_t(std::uint32_t(value) & 0xFFu);
}

// The colour rule: "#RRGGBB", or an integer in the colour layout, or the default. One lookup
// stands for the rule's two string reads: they give the same value whenever the key exists.
TColor ReadColour(const TIniFile& ini, const QString& section, const QString& key, TColor def)
{
    const std::optional<QStringView> text = ini.View(section, key);
    if (!text)
        return def & 0xFFFFFFu; // the default as written and read back: "#RRGGBB" keeps 24 bits
    if (text->isEmpty())
        return def;
    if (text->front() == u'#') {
        try {
            return HexToColour(text->toString());
        } catch (const std::invalid_argument&) {
            return def;
        }
    }
    return TColor(ParseIniInteger(*text).value_or(std::int32_t(def)));
}

void ReadSide(const TIniFile& ini, const QString& section, int n, TCommand& side)
{
    const std::optional<QStringView> caption = ini.View(section, QStringLiteral("Caption"));
    side.Caption = caption ? caption->toString() : Decimal(n);
    side.Msg.Message = LowByte(ini.ReadInteger(section, QStringLiteral("Message"), 0));
    side.Msg.Channel = LowByte(ini.ReadInteger(section, QStringLiteral("Channel"), 0));
    side.Msg.Note = LowByte(ini.ReadInteger(section, QStringLiteral("Note"), 0));
    side.Msg.Velocity = LowByte(ini.ReadInteger(section, QStringLiteral("Velocity"), 0));
    side.Output = LowByte(ini.ReadInteger(section, QStringLiteral("Output"), 1));
    side.ButtonColour = ReadColour(ini, section, QStringLiteral("Button Colour"), kColorCream);
    side.TextColour = ReadColour(ini, section, QStringLiteral("Text Colour"), 0);
    side.ImageIndex = ini.ReadInteger(section, QStringLiteral("Image Index"), -1);
}

// "#RRGGBB" on the stack: a save writes 1,600 colours.
class THexColour
{
public:
    explicit THexColour(TColor colour)
    {
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        const int bytes[3] = {ColorRed(colour), ColorGreen(colour), ColorBlue(colour)};
        for (int i = 0; i < 3; ++i) {
            m_text[1 + 2 * i] = kDigits[(bytes[i] >> 4) & 0xF];
            m_text[2 + 2 * i] = kDigits[bytes[i] & 0xF];
        }
    }
    QStringView View() const { return QStringView(m_text, 7); }

private:
    char16_t m_text[7] = {u'#'};
};

void WriteSide(TIniFile& ini, const QString& section, const TCommand& side)
{
    ini.WriteString(section, QStringLiteral("Caption"), side.Caption);
    ini.WriteInteger(section, QStringLiteral("Message"), side.Msg.Message);
    ini.WriteInteger(section, QStringLiteral("Channel"), side.Msg.Channel);
    ini.WriteInteger(section, QStringLiteral("Note"), side.Msg.Note);
    ini.WriteInteger(section, QStringLiteral("Velocity"), side.Msg.Velocity);
    ini.WriteInteger(section, QStringLiteral("Output"), side.Output);
    ini.WriteString(section, QStringLiteral("Button Colour"), THexColour(side.ButtonColour).View());
    ini.WriteString(section, QStringLiteral("Text Colour"), THexColour(side.TextColour).View());
    ini.WriteInteger(section, QStringLiteral("Image Index"), side.ImageIndex);
}

int HexComponent(QStringView text, qsizetype pos)
{
    if (pos >= text.size())
        throw std::invalid_argument("HexToColour: missing colour component");
    const QStringView digits = text.sliced(pos, std::min<qsizetype>(2, text.size() - pos));
    int value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            throw std::invalid_argument("HexToColour: colour component is not hexadecimal");
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QString ColourToHex(TColor colour)
{
    const THexColour hex(colour);
    return hex.View().toString();
}

TColor HexToColour(const QString& text)
{
    QStringView hex(text);
    if (hex.startsWith(u'#'))
        hex = hex.sliced(1);
    const int red = HexComponent(hex, 0);
    const int green = HexComponent(hex, 2);
    const int blue = HexComponent(hex, 4);
    return TColor(red) + 256u * TColor(green) + 65536u * TColor(blue);
}

void ReadSettings(const TIniFile& ini, TSettingsData& data)
{
    TGlobalSettings& g = data.Globals;

    g.MainTop = ini.ReadInteger(kWindows, QStringLiteral("Main Top"), 0);
    g.MainLeft = ini.ReadInteger(kWindows, QStringLiteral("Main Left"), 0);
    g.MainHeight = ini.ReadInteger(kWindows, QStringLiteral("Main Height"), 200);
    g.MainWidth = ini.ReadInteger(kWindows, QStringLiteral("Main Width"), 300);
    g.MainMaximised = ini.ReadBool(kWindows, QStringLiteral("Main Maximised"), false);
    g.MainBorderless = ini.ReadBool(kWindows, QStringLiteral("Main Borderless"), false);

    g.ButtonRows = std::clamp(ini.ReadInteger(kGeneral, QStringLiteral("Button Rows"), 5), 1, 20);
    g.ButtonCols = std::clamp(ini.ReadInteger(kGeneral, QStringLiteral("Button Cols"), 3), 1, 20);
    g.FontName = ini.ReadString(kGeneral, QStringLiteral("Font Name"), QStringLiteral("Arial"));
    g.FontSize = ini.ReadInteger(kGeneral, QStringLiteral("Font Size"), 8);
    g.BorderHighlightColour = ReadColour(
        ini, kGeneral, QStringLiteral("Button Border Highlight Colour"), kDefaultHighlight);
    g.ButtonLayout = LowByte(ini.ReadInteger(kGeneral, QStringLiteral("Button Layout"), 0));
    data.Caption =
        ini.ReadString(kGeneral, QStringLiteral("Caption"), QStringLiteral(KEYRILL_PRODUCT_NAME));
    g.AllowEditing = ini.ReadBool(kGeneral, QStringLiteral("Allow Editing"), true);
    g.AllowWindowMoving = ini.ReadBool(kGeneral, QStringLiteral("Allow Window Moving"), true);
    g.AllowWindowResizing = ini.ReadBool(kGeneral, QStringLiteral("Allow Window Resizing"), true);
    g.SaveWindowPosition = ini.ReadBool(kGeneral, QStringLiteral("Save Window Position"), true);
    g.SaveWindowSize = ini.ReadBool(kGeneral, QStringLiteral("Save Window Size"), true);
    g.ShowOutputErrors = ini.ReadBool(kGeneral, QStringLiteral("Show Output Errors"), true);
    data.MinimiseToTray = ini.ReadBool(kGeneral, QStringLiteral("Minimise To Tray"), false);
    g.GlobalHotKeys = ini.ReadBool(kGeneral, QStringLiteral("Global Hot Keys"), false);

    for (int n = 1; n <= 4; ++n)
        ReadSlot(ini, OutputSection(n), data.Outputs[std::size_t(n - 1)]);
    // A file without the section listens to no input.
    ReadSlot(ini, kInput, data.Input);
    if (data.Remote)
        ReadRemote(ini, *data.Remote);

    // Item n - 1 must be button n: start from an empty list, as start-up hands it over.
    TCommandList& list = data.CommandList;
    while (list.Count() > 0)
        list.Delete(list.Count() - 1);
    for (int n = 1; n <= kDefinitions; ++n) {
        TCommandSet& set = list.Get(list.Add());
        const QString press = PressSection(n);
        set.Action =
            std::uint8_t(std::clamp(ini.ReadInteger(press, QStringLiteral("Action"), 0), 0, 2));
        set.HotKey = ini.ReadString(press, QStringLiteral("HotKey"), QString());
        ReadSide(ini, press, n, set.Press);
        ReadSide(ini, ReleaseSection(n), n, set.Release);
    }
}

void WriteSettings(TIniFile& ini, bool fileExisted, const TSettingsData& data)
{
    const TGlobalSettings& g = data.Globals;

    if (g.SaveWindowPosition || g.AllowEditing) {
        ini.WriteInteger(kWindows, QStringLiteral("Main Top"), g.MainTop);
        ini.WriteInteger(kWindows, QStringLiteral("Main Left"), g.MainLeft);
    }
    if (g.SaveWindowSize || g.AllowEditing) {
        ini.WriteInteger(kWindows, QStringLiteral("Main Height"), g.MainHeight);
        ini.WriteInteger(kWindows, QStringLiteral("Main Width"), g.MainWidth);
        ini.WriteBool(kWindows, QStringLiteral("Main Maximised"), data.WindowMaximised);
        ini.WriteBool(kWindows, QStringLiteral("Main Borderless"), g.MainBorderless);
    }
    if (!g.AllowEditing)
        return;

    ini.WriteInteger(kGeneral, QStringLiteral("Button Rows"), g.ButtonRows);
    ini.WriteInteger(kGeneral, QStringLiteral("Button Cols"), g.ButtonCols);
    ini.WriteString(kGeneral, QStringLiteral("Font Name"), g.FontName);
    ini.WriteInteger(kGeneral, QStringLiteral("Font Size"), g.FontSize);
    ini.WriteString(kGeneral, QStringLiteral("Button Border Highlight Colour"),
                    THexColour(g.BorderHighlightColour).View());
    ini.WriteInteger(kGeneral, QStringLiteral("Button Layout"), g.ButtonLayout);
    ini.WriteString(kGeneral, QStringLiteral("Caption"), data.Caption);
    ini.WriteBool(kGeneral, QStringLiteral("Allow Editing"), g.AllowEditing);
    ini.WriteBool(kGeneral, QStringLiteral("Allow Window Moving"), g.AllowWindowMoving);
    ini.WriteBool(kGeneral, QStringLiteral("Allow Window Resizing"), g.AllowWindowResizing);
    ini.WriteBool(kGeneral, QStringLiteral("Save Window Position"), g.SaveWindowPosition);
    ini.WriteBool(kGeneral, QStringLiteral("Save Window Size"), g.SaveWindowSize);
    ini.WriteBool(kGeneral, QStringLiteral("Show Output Errors"), g.ShowOutputErrors);
    ini.WriteBool(kGeneral, QStringLiteral("Minimise To Tray"), data.MinimiseToTray);
    ini.WriteBool(kGeneral, QStringLiteral("Global Hot Keys"), g.GlobalHotKeys);

    for (int n = 1; n <= 4; ++n)
        WriteSlot(ini, OutputSection(n), data.Outputs[std::size_t(n - 1)]);
    WriteSlot(ini, kInput, data.Input);
    // A set whose remote was never turned on gets no section.
    if (data.Remote && !data.Remote->Unused()) {
        ini.WriteBool(kRemote, QStringLiteral("Active"), data.Remote->Active);
        ini.WriteInteger(kRemote, QStringLiteral("Port"), data.Remote->Port);
        ini.WriteString(kRemote, QStringLiteral("Token"), data.Remote->Token);
    }

    if (fileExisted) {
        ini.EraseSections([](const QString& name) {
            return QStringView(name)
                       .first(std::min<qsizetype>(6, name.size()))
                       .compare(u"Button", Qt::CaseInsensitive) == 0;
        });
    }

    // Rows and columns are 1..20 once loaded; a grid that makes no sense writes no button.
    const qint64 buttons =
        g.ButtonRows > 0 && g.ButtonCols > 0 ? qint64(g.ButtonRows) * g.ButtonCols : 0;
    for (qint64 n = 1; n <= buttons; ++n) {
        // Get throws std::out_of_range past the list's end: the buttons before are written.
        const TCommandSet& set = data.CommandList.Get(int(n - 1));
        const QString press = PressSection(int(n));
        ini.WriteInteger(press, QStringLiteral("Action"), set.Action);
        ini.WriteString(press, QStringLiteral("HotKey"), set.HotKey);
        WriteSide(ini, press, set.Press);
        WriteSide(ini, ReleaseSection(int(n)), set.Release);
    }
}

TSettingsText LoadSettings(const QString& path, TSettingsData& data)
{
    TSettingsText file = ReadSettingsFile(path);
    ReadSettings(TIniFile::Parse(file.Text), data);
    return file;
}

void SaveSettings(const QString& path, const TSettingsData& data)
{
    SaveSettings(path, data, ReadSettingsFile(path));
}

void SaveSettings(const QString& path, const TSettingsData& data, const TSettingsText& file)
{
    TIniFile ini = TIniFile::Parse(file.Text);
    // The file is written even when writing the values failed part-way, so what was done is kept;
    // error then reaches the caller (after a failure to write the file, which wins).
    std::exception_ptr error;
    try {
        WriteSettings(ini, file.Existed, data);
    } catch (...) {
        error = std::current_exception();
    }
    WriteSettingsFile(path, EncodeSettingsText(ini.Text(), file.Encoding, file.Bom));
    if (error)
        std::rethrow_exception(error);
}
