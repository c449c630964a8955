#include "song/qt/project_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <iterator>

#include "song/qt/song_fields_widget.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace plume {

namespace {
QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }
}  // namespace

ProjectDialog::ProjectDialog(const ProjectData& project, platform::FileDialog& files, QWidget* parent)
    : QDialog(parent), m_form(project), m_files(files) {
    setWindowTitle(QStringLiteral("Plume-プロジェクトファイル"));

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel(QStringLiteral("プロジェクトタイトル"), this));
    m_title = new QLineEdit(qs(m_form.title), this);
    m_title->setMaxLength(40);
    titleRow->addWidget(m_title, 1);

    auto* tracks = new QGridLayout;
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        const int row = int(i);
        tracks->addWidget(new QLabel(qs(platform::formatMessage("Track%2d", int(i + 1))), this), row, 0);
        m_members[i] = new QLineEdit(qs(m_form.members[i]), this);
        m_members[i]->setMinimumWidth(320);
        tracks->addWidget(m_members[i], row, 1);
        auto* button = new QPushButton(QStringLiteral("参照"), this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { browse(i); });
        tracks->addWidget(button, row, 2);
    }

    auto* settings = new QFormLayout;
    m_module = new QComboBox(this);
    for (const char* name : kSoundModuleNames) m_module->addItem(qs(name));
    m_module->setCurrentIndex(m_form.soundModule);
    settings->addRow(QStringLiteral("音源"), m_module);
    m_tempo = new QSpinBox(this);
    m_tempo->setRange(kTempoMin, kTempoMax);
    m_tempo->setValue(m_form.tempo);
    settings->addRow(QStringLiteral("テンポ"), m_tempo);
    m_key = new QComboBox(this);
    for (const char* name : kKeySignatureNames) m_key->addItem(qs(name));
    m_key->setCurrentIndex(m_form.key);
    settings->addRow(QStringLiteral("調号"), m_key);

    auto* time = new QGroupBox(QStringLiteral("拍子"), this);
    auto* timeLayout = new QFormLayout(time);
    m_numerator = makeNumeratorField(m_form.numerator, time);
    timeLayout->addRow(QStringLiteral("分子"), m_numerator);
    m_denominator = makeDenominatorList(m_form.denominator, time);
    timeLayout->addRow(QStringLiteral("分母"), m_denominator);

    auto* right = new QVBoxLayout;
    right->addLayout(settings);
    right->addWidget(time);
    right->addStretch(1);
    auto* buttons = makeOkCancelButtons(this);
    right->addWidget(buttons);

    auto* body = new QHBoxLayout;
    body->addLayout(tracks, 1);
    body->addSpacing(12);
    body->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addLayout(body);
}

void ProjectDialog::browse(std::size_t i) {
    const auto path = m_files.askOpenName("メンバーファイル", "Plumeﾌｧｲﾙ (*.PLM)");
    if (!path) return;
    m_form.memberBrowsed(i, *path);
    m_members[i]->setText(qs(m_form.members[i]));
}

void ProjectDialog::readFields() {
    m_form.title = utf8(m_title->text());
    for (std::size_t i = 0; i < kMemberCount; ++i) m_form.members[i] = utf8(m_members[i]->text().trimmed());
    m_form.soundModule = m_module->currentIndex();
    m_form.tempo = m_tempo->value();
    m_form.key = m_key->currentIndex();
    m_form.numerator = m_numerator->value();
    m_form.denominator = m_denominator->currentIndex();
}

void ProjectDialog::accept() {
    readFields();
    m_result = m_form.accept();
    if (m_result) QDialog::accept();
}

void ProjectDialog::reject() {
    if (m_form.confirmCancel()) QDialog::reject();
}

}  // namespace plume
