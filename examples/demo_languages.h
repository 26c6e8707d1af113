/*
 * The texts of the charging demo in the station's languages, and the fonts that draw them.
 *
 * Every font is a family list: DejaVu Sans draws Latin and Arabic (with its joining forms), and
 * WenQuanYi Micro Hei the Chinese characters that DejaVu Sans lacks. Pango shapes each script
 * and lays Arabic paragraphs out right to left by itself; the host only passes the texts.
 */
#ifndef DEMO_LANGUAGES_H
#define DEMO_LANGUAGES_H

#define DEMO_FONT0 "DejaVu Sans, WenQuanYi Micro Hei Bold 20" /* headings and pill texts */
#define DEMO_FONT1 "DejaVu Sans, WenQuanYi Micro Hei 15"      /* body */
#define DEMO_FONT2 "DejaVu Sans, WenQuanYi Micro Hei Bold 28" /* large figures */
#define DEMO_FONT3 "DejaVu Sans, WenQuanYi Micro Hei 12"      /* small print */

/* The help screen's boxes: its title in font 2, centred, and its body in font 1, as markup
 * aligned to the start of each line (the left, or the right for Arabic). Each is high enough for
 * its lines. */
#define DEMO_HELP_TITLE_BOX 150, 30, 500, 44
#define DEMO_HELP_BODY_BOX 120, 110, 560, 260

struct demo_language {
    const char* code;             /* printed as "language: <code>" when chosen */
    const char* language;         /* the menu entry naming this language; a tap picks the next */
    const char* state[3];         /* available, reserved, out of order */
    const char* charging_percent; /* %d: state of charge */
    const char* title[3];         /* the connectors */
    const char* details[3];
    const char* mode_question; /* %s: the connector's title */
    const char* fast;          /* pill texts, leaving room for the badge on the left */
    const char* smart;
    const char* fast_note;
    const char* smart_note;
    const char* scan_to_pay;
    const char* price[2]; /* smart, fast */
    const char* charging;
    const char* done;
    const char* percent_of_target; /* %d, %d: state of charge and target, in percent */
    const char* session[2];        /* smart, fast; %s: the connector's title */
    const char* help_title;
    const char* help_body; /* markup */
    const char* menu_title;
    const char* menu_help;
    const char* menu_about;
    const char* about;
};

#define DEMO_LANGUAGE_COUNT 4

static const struct demo_language demo_languages[DEMO_LANGUAGE_COUNT] = {
    {
        "en",
        "Language: English",
        {"Available", "Reserved", "Out of order"},
        "Charging %d%%",
        {"Connector 1 · CCS", "Connector 2 · Type 2", "Connector 3 · CHAdeMO"},
        {"up to 150 kW · 0.59 €/kWh", "22 kW · reserved until 15:30", "50 kW · technician called"},
        "%s — how would you like to charge?",
        "   Fast",
        "   Smart",
        "full power, 0.59 €/kWh",
        "cheapest hours, 0.42 €/kWh",
        "Scan to pay",
        {"Smart charging · 0.42 €/kWh · scan with your phone",
            "Fast charging · 0.59 €/kWh · scan with your phone"},
        "Charging",
        "Done",
        "%d %% of %d %%",
        {"%s · smart charging · limit 75 kW", "%s · fast charging · limit 150 kW"},
        "Help",
        "<b>1.</b> Choose a free connector: swipe or use the arrows.\n"
        "<b>2.</b> Pick <b>fast</b> or <b>smart</b> charging.\n"
        "<b>3.</b> Scan the QR code to pay, then plug in.\n"
        "<b>4.</b> Tap back on the charging screen to leave it running.\n\n"
        "Hotline: +49 30 1234 5678",
        "Menu",
        "Help",
        "About",
        "Station KV-0042 · 3 connectors\nkivo-gui demo host",
    },
    {
        "de",
        "Sprache: Deutsch",
        {"Verfügbar", "Reserviert", "Außer Betrieb"},
        "Lädt %d%%",
        {"Ladepunkt 1 · CCS", "Ladepunkt 2 · Typ 2", "Ladepunkt 3 · CHAdeMO"},
        {"bis 150 kW · 0,59 €/kWh", "22 kW · reserviert bis 15:30", "50 kW · Techniker gerufen"},
        "%s — wie möchten Sie laden?",
        "   Schnell",
        "   Smart",
        "volle Leistung, 0,59 €/kWh",
        "Niedertarif, 0,42 €/kWh",
        "Scannen und bezahlen",
        {"Smartes Laden · 0,42 €/kWh · mit dem Handy scannen",
            "Schnellladen · 0,59 €/kWh · mit dem Handy scannen"},
        "Lädt",
        "Fertig",
        "%d %% von %d %%",
        {"%s · smartes Laden · höchstens 75 kW", "%s · Schnellladen · höchstens 150 kW"},
        "Hilfe",
        "<b>1.</b> Wählen Sie einen freien Ladepunkt: wischen oder die Pfeile tippen.\n"
        "<b>2.</b> Wählen Sie <b>schnelles</b> oder <b>smartes</b> Laden.\n"
        "<b>3.</b> Scannen Sie den QR-Code, bezahlen Sie und stecken Sie ein.\n"
        "<b>4.</b> Zurück auf dem Ladebildschirm: das Laden läuft weiter.\n\n"
        "Hotline: +49 30 1234 5678",
        "Menü",
        "Hilfe",
        "Über",
        "Station KV-0042 · 3 Ladepunkte\nkivo-gui Demo-Host",
    },
    {
        "ar",
        "اللغة: العربية",
        {"متاح", "محجوز", "خارج الخدمة"},
        "جارٍ الشحن %d%%",
        {"الموصل 1 · CCS", "الموصل 2 · Type 2", "الموصل 3 · CHAdeMO"},
        {"حتى 150 كيلوواط · 0.59 يورو لكل كيلوواط ساعة", "22 كيلوواط · محجوز حتى 15:30",
            "50 كيلوواط · تم استدعاء فني"},
        "%s — كيف تريد الشحن؟",
        "سريع   ",
        "ذكي   ",
        "قدرة كاملة، 0.59 €/kWh",
        "أرخص الساعات، 0.42 €/kWh",
        "امسح للدفع",
        {"شحن ذكي · 0.42 يورو لكل كيلوواط ساعة · امسح بهاتفك",
            "شحن سريع · 0.59 يورو لكل كيلوواط ساعة · امسح بهاتفك"},
        "جارٍ الشحن",
        "اكتمل",
        "%d%% من %d%%",
        {"%s · شحن ذكي · الحد 75 كيلوواط", "%s · شحن سريع · الحد 150 كيلوواط"},
        "مساعدة",
        "<b>1.</b> اختر موصلاً متاحاً: اسحب الشاشة أو استخدم الأسهم.\n"
        "<b>2.</b> اختر الشحن <b>السريع</b> أو <b>الذكي</b>.\n"
        "<b>3.</b> امسح رمز QR للدفع، ثم صِل الكابل.\n"
        "<b>4.</b> اضغط رجوع في شاشة الشحن ليستمر الشحن.\n\n"
        "الخط الساخن: \u200e+49 30 1234 5678",
        "القائمة",
        "مساعدة",
        "حول",
        "المحطة KV-0042 · 3 موصلات\nمضيف تجريبي لـ kivo-gui",
    },
    {
        "zh",
        "语言：中文",
        {"可用", "已预约", "故障"},
        "充电中 %d%%",
        {"充电口 1 · CCS", "充电口 2 · Type 2", "充电口 3 · CHAdeMO"},
        {"最高 150 kW · 0.59 €/kWh", "22 kW · 预约至 15:30", "50 kW · 已呼叫技术人员"},
        "%s — 您想如何充电？",
        "   快充",
        "   智能",
        "全功率，0.59 €/kWh",
        "最便宜时段，0.42 €/kWh",
        "扫码支付",
        {"智能充电 · 0.42 €/kWh · 用手机扫码", "快速充电 · 0.59 €/kWh · 用手机扫码"},
        "充电中",
        "已完成",
        "%d %% / 目标 %d %%",
        {"%s · 智能充电 · 上限 75 kW", "%s · 快速充电 · 上限 150 kW"},
        "帮助",
        "<b>1.</b> 选择空闲的充电口：滑动屏幕或点箭头。\n"
        "<b>2.</b> 选择<b>快速</b>或<b>智能</b>充电。\n"
        "<b>3.</b> 扫描二维码支付，然后插上充电枪。\n"
        "<b>4.</b> 在充电界面点返回，充电继续进行。\n\n"
        "服务热线：+49 30 1234 5678",
        "菜单",
        "帮助",
        "关于",
        "充电站 KV-0042 · 3 个充电口\nkivo-gui 演示程序",
    },
};

#endif
