#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace fee {
class BrokerTable;
}

namespace fee::ui {

// The amount question. Its answer sets sw_money and leads on to the frequency
// question; closing it answers nothing.
class cost_switch : public QDialog {
    Q_OBJECT
public:
    explicit cost_switch(BrokerTable& table);

    QLabel Label1{this};
    QPushButton key_low{this};
    QPushButton key_high{this};

private:
    void key_low_Click();
    void key_high_Click();
    void z_answer(std::uint8_t money);

    BrokerTable& table_;
};

} // namespace fee::ui
