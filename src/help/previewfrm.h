#pragma once

#include <QDialog>

class QPlainTextEdit;

// Shows the text saving would write. Kept between uses.
class PreviewFrm : public QDialog
{
    Q_OBJECT
public:
    static PreviewFrm &instance();
    static PreviewFrm *loaded() { return s_instance; }
    static void unload();
    ~PreviewFrm() override;

    QPlainTextEdit *Text1;

private:
    explicit PreviewFrm(QWidget *parent = nullptr);
    static inline PreviewFrm *s_instance = nullptr;
};
