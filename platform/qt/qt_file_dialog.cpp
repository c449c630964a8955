#include "platform/qt/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace plume::platform {

namespace {

QString qtString(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

std::filesystem::path pathOf(const QString& name) {
    const QByteArray bytes = name.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(bytes.constData()), std::size_t(bytes.size())));
}

}  // namespace

QString qtFilter(std::string_view filter) {
    QString text = qtString(filter);
    static const QRegularExpression pattern(QStringLiteral(R"(\*\.([A-Za-z0-9]+))"));
    QStringList extra;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QString ext = it.next().captured(1);
        for (const QString& variant : {ext.toLower(), ext.toUpper()})
            if (variant != ext) extra << QStringLiteral("*.") + variant;
    }
    if (!extra.isEmpty() && text.endsWith(QLatin1Char(')'))) text.insert(text.size() - 1, QLatin1Char(' ') + extra.join(QLatin1Char(' ')));
    return text;
}

std::optional<std::filesystem::path> QtFileDialog::askSaveName(std::string_view title, std::string_view filter,
                                                              std::string_view proposedName) {
    QFileDialog dialog(m_parent, qtString(title), m_folder, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    static const QRegularExpression firstPattern(QStringLiteral(R"(\*\.([A-Za-z0-9]+))"));
    if (const auto match = firstPattern.match(qtString(filter)); match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
    if (!proposedName.empty()) dialog.selectFile(qtString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString name = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(name).absolutePath();
    return pathOf(name);
}

std::optional<std::filesystem::path> QtFileDialog::askOpenName(std::string_view title, std::string_view filter) {
    const QString name = QFileDialog::getOpenFileName(m_parent, qtString(title), m_folder, qtFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    m_folder = QFileInfo(name).absolutePath();
    return pathOf(name);
}

}  // namespace plume::platform
