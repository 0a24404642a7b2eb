#include "shell/settings/ports_lookup.h"

#include <QSettings>
#include <QStringList>

namespace kelvo {

namespace {

constexpr int HighestPort = 255;

// "COM12" -> 12; 0 for anything else.
int PortOfKey(const QString& key) {
    if (key.size() < 4 || !key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    const QString digits = key.mid(3);
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    bool ok = false;
    const int port = digits.toInt(&ok);
    return ok && port >= 1 && port <= HighestPort ? port : 0;
}

} // namespace

std::map<int, std::string> ReadPortsSection(const std::string& iniFile) {
    std::map<int, std::string> ports;
    QSettings ini(QString::fromStdString(iniFile), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Ports"));
    for (const QString& key : ini.childKeys()) {
        const int port = PortOfKey(key);
        if (port == 0)
            continue;
        const QVariant value = ini.value(key);
        // An unquoted value with commas reads as a list; the path is the whole text.
        const QString path = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QStringLiteral(", "))
                                 : value.toString().trimmed();
        if (!path.isEmpty())
            ports[port] = path.toStdString();
    }
    return ports;
}

TPortNameLookup PortsLookup(std::map<int, std::string> ports) {
    return [ports = std::move(ports)](int port) -> std::string {
        const auto found = ports.find(port);
        if (found != ports.end())
            return found->second;
        return DefaultPortName(port);
    };
}

int InstallPortsLookup(const std::string& iniFile) {
    std::map<int, std::string> ports = ReadPortsSection(iniFile);
    const int count = static_cast<int>(ports.size());
    SetPortNameLookup(PortsLookup(std::move(ports)));
    return count;
}

} // namespace kelvo
