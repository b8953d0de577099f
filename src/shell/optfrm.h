#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QCheckBox;
class QRadioButton;

// The two settings; made for one opening, modal.
class OptFrm : public QDialog
{
    Q_OBJECT
public:
    explicit OptFrm(QWidget *parent = nullptr);
    ~OptFrm() override;
    static OptFrm *loaded() { return s_current; }
    static void unload();

    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1; // "..."
    QRadioButton *Option1, *Option2, *Option3;
    // "Vérifier le vocabulaire des catalogues": off for scripts written for
    // another vocabulary.
    QCheckBox *Check1;
    QPushButton *Command2; // OK
    QPushButton *Command3; // Annuler

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    static inline OptFrm *s_current = nullptr;
};

namespace Browseforfolder {
// The folder the user chose, or "" on cancel.
QString ChooseFolder(const QString &title, QWidget *owner);
}
