#pragma once

class QComboBox;

// Refills the combo with "Все" (item data 0) when WithAll and every desktop's name (its code as item
// data), then selects the item of the code selected before; nothing is selected when it is gone.
// Desktops that cannot be read leave the combo with "Все" alone and an error line in the main log.
void FillDesktopsCombo(QComboBox *Combo, bool WithAll);
