#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// Asks whether to create the companion ".ai" file; made for one opening.
class CreateAIFrm : public QDialog
{
    Q_OBJECT
public:
    explicit CreateAIFrm(QWidget *parent = nullptr);
    ~CreateAIFrm() override;
    static CreateAIFrm *loaded() { return s_current; }
    static void unload();

    QLabel *label1;
    QPushButton *Command1; // Oui
    QPushButton *Command2; // Non
    QCheckBox *Check1;
    // The companion file "Oui" creates.
    QString Path;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    static inline CreateAIFrm *s_current = nullptr;
};
