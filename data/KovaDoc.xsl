<?xml version="1.0" encoding="UTF-8"?>
<!--
  KovaDoc.xsl: the HTML report of a turns-ratio test document (Application Software 8625).
  XSLT 1.0 without extensions. Every value of the document is written as text (the output
  escapes it), never as markup; picture names are used only when they name a file beside the
  report. The logo "company.jpg" lies beside the report; the parameter logo may name another.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:output method="html" encoding="UTF-8" indent="no"
              doctype-public="-//W3C//DTD HTML 4.01//EN"
              doctype-system="http://www.w3.org/TR/html4/strict.dtd"/>

  <xsl:param name="logo" select="'company.jpg'"/>
  <!-- Set for the report on pages (PDF, printer): their running head carries the logo. -->
  <xsl:param name="paged" select="''"/>

  <xsl:variable name="doc" select="/*"/>
  <xsl:variable name="setup" select="/*/QEL/Setup"/>
  <xsl:variable name="analysis" select="/*/QEL/Analysis"/>
  <xsl:variable name="firstInfo" select="(/*/QEL/Measurement/Grid/R/Info)[1]"/>

  <xsl:template match="/">
    <html>
      <head>
        <title>
          <xsl:text>Turns Ratio Test </xsl:text>
          <xsl:value-of select="$doc/@Name"/>
        </title>
        <!-- Lengths inside the page in px (96 to the inch): browsers and the PDF report's text layout
             count them alike (the layout takes no mm, and no padding in pt). -->
        <style type="text/css">
          @page { size: A4; margin: 14mm 12mm 16mm 12mm; }
          body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 9.5pt;
                 color: #111; margin: 0 auto; max-width: 190mm; background: #fff; }
          table.head { width: 100%; border-collapse: collapse; border-bottom: 2pt solid #1d4f91;
                       margin-bottom: 15.1px; }
          table.head td { vertical-align: bottom; padding: 0 0 7.6px 0; }
          img.logo { height: 16mm; }
          .title { text-align: right; }
          .title h1 { font-size: 16pt; margin: 0; color: #1d4f91; }
          .title div { font-size: 9pt; color: #444; }
          h2 { font-size: 11.5pt; color: #1d4f91; border-bottom: 0.75pt solid #9aa9c0;
               margin: 18.9px 0 7.6px 0; padding-bottom: 1.9px; page-break-after: avoid; }
          h3 { font-size: 10pt; margin: 11.3px 0 5.7px 0; page-break-after: avoid; }
          table.fields { width: 100%; }
          table.fields td { padding: 2.3px 7.6px 2.3px 0; vertical-align: top; }
          table.fields td.label { color: #555; width: 24%; white-space: nowrap; }
          table.fields td.value { width: 26%; }
          table.grid { border-collapse: collapse; width: 100%; font-size: 7.5pt; }
          table.grid th { background: #e6ebf3; font-weight: bold; }
          table.grid th, table.grid td { border: 0.5pt solid #9a9a9a; padding: 1.5px 3px;
                                          text-align: center; }
          table.grid td { white-space: nowrap; }
          #measurement { font-size: 6.6pt; }
          table.grid td.nominal { font-weight: bold; }
          table.grid tr.gap td { border-left: none; border-right: none; height: 5.7px; padding: 0; }
          table.taps { width: auto; min-width: 50%; }
          td.green { background: #d9f2d9; }
          td.yellow { background: #fff3c4; }
          td.red { background: #f8d0d0; }
          thead { display: table-header-group; }
          tr { page-break-inside: avoid; }
          .winding { page-break-inside: avoid; }
          .pictures div.picture { display: inline-block; margin: 0 15.1px 15.1px 0; text-align: center;
                                  page-break-inside: avoid; }
          .pictures img { max-width: 88mm; border: 0.5pt solid #9a9a9a; }
          .notes { white-space: normal; }
          .foot { margin-top: 22.7px; border-top: 0.5pt solid #9aa9c0; font-size: 7.5pt; color: #666; }
        </style>
      </head>
      <body>
        <xsl:call-template name="head"/>
        <xsl:apply-templates select="$doc/DUTGeneral"/>
        <xsl:apply-templates select="$doc/DUTTrafoData"/>
        <xsl:call-template name="conditions"/>
        <xsl:call-template name="measurement"/>
        <xsl:apply-templates select="$analysis"/>
        <div class="foot">
          <xsl:text>Application Software 8625</xsl:text>
          <xsl:if test="$firstInfo/@APSW != ''">
            <xsl:text> </xsl:text>
            <xsl:value-of select="$firstInfo/@APSW"/>
          </xsl:if>
          <xsl:text> · </xsl:text>
          <xsl:value-of select="$doc/@FileName"/>
        </div>
      </body>
    </html>
  </xsl:template>

  <!-- Logo, title, test name and instrument. -->
  <xsl:template name="head">
    <table class="head">
      <tr>
        <td>
          <xsl:if test="$paged = ''"><img class="logo" src="{$logo}" alt="Company logo"/></xsl:if>
        </td>
        <td class="title">
          <h1>Turns Ratio Test</h1>
          <div><xsl:value-of select="$doc/@Name"/></div>
          <xsl:if test="$firstInfo/@Device != ''">
            <div>
              <xsl:value-of select="$firstInfo/@Device"/>
              <xsl:if test="$firstInfo/@SerialNr != ''">
                <xsl:text>, serial no. </xsl:text>
                <xsl:value-of select="$firstInfo/@SerialNr"/>
              </xsl:if>
              <xsl:if test="$firstInfo/@Firmware != ''">
                <xsl:text>, firmware </xsl:text>
                <xsl:value-of select="$firstInfo/@Firmware"/>
              </xsl:if>
            </div>
          </xsl:if>
        </td>
      </tr>
    </table>
  </xsl:template>

  <!-- A two-column list of labelled values, given as label|element pairs by the caller. -->
  <xsl:template name="field">
    <xsl:param name="label"/>
    <xsl:param name="value"/>
    <td class="label"><xsl:value-of select="$label"/></td>
    <td class="value"><xsl:value-of select="$value"/></td>
  </xsl:template>

  <xsl:template match="DUTGeneral">
    <h2>Device under Test</h2>
    <table class="fields">
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Type</xsl:with-param><xsl:with-param name="value" select="Type/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Serial No.</xsl:with-param><xsl:with-param name="value" select="SerialNo/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Description</xsl:with-param><xsl:with-param name="value" select="Description/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Inventory No.</xsl:with-param><xsl:with-param name="value" select="InventoryNo/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Manufacturer</xsl:with-param><xsl:with-param name="value" select="Manufacturer/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Built</xsl:with-param><xsl:with-param name="value" select="Built/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">User</xsl:with-param><xsl:with-param name="value" select="User/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Job No.</xsl:with-param><xsl:with-param name="value" select="Job/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Location</xsl:with-param><xsl:with-param name="value" select="Location/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Operator</xsl:with-param><xsl:with-param name="value" select="Operator/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Auxiliary Title</xsl:with-param><xsl:with-param name="value" select="AuxiliaryTitle/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Supervisor</xsl:with-param><xsl:with-param name="value" select="Supervisor/@Value"/></xsl:call-template>
      </tr>
      <xsl:variable name="texts" select="AuxTextList"/>
      <xsl:for-each select="AuxTitleList/@*">
        <xsl:variable name="n" select="name()"/>
        <xsl:variable name="text" select="$texts/@*[name() = $n]"/>
        <xsl:if test="normalize-space(.) != '' or normalize-space($text) != ''">
          <tr>
            <xsl:call-template name="field"><xsl:with-param name="label" select="."/><xsl:with-param name="value" select="$text"/></xsl:call-template>
          </tr>
        </xsl:if>
      </xsl:for-each>
      <xsl:if test="normalize-space(Notes/@Value) != ''">
        <tr>
          <td class="label">Notes</td>
          <td class="notes" colspan="3">
            <xsl:call-template name="notes"><xsl:with-param name="text" select="Notes/@Value"/></xsl:call-template>
          </td>
        </tr>
      </xsl:if>
    </table>
  </xsl:template>

  <!-- Notes are stored on one line: "\n" is a line break, "\r" goes, "\t" is a blank, "\\" a backslash. -->
  <xsl:template name="notes">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, '\')">
        <xsl:value-of select="substring-before($text, '\')"/>
        <xsl:variable name="rest" select="substring-after($text, '\')"/>
        <xsl:variable name="code" select="substring($rest, 1, 1)"/>
        <xsl:choose>
          <xsl:when test="$code = 'n'"><br/></xsl:when>
          <xsl:when test="$code = 'r'"/>
          <xsl:when test="$code = 't'"><xsl:text> </xsl:text></xsl:when>
          <xsl:when test="$code = '\'"><xsl:text>\</xsl:text></xsl:when>
          <xsl:otherwise><xsl:text>\</xsl:text><xsl:value-of select="$code"/></xsl:otherwise>
        </xsl:choose>
        <xsl:call-template name="notes"><xsl:with-param name="text" select="substring($rest, 2)"/></xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="DUTTrafoData">
    <h2>Transformer Data</h2>
    <table class="fields">
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Configuration</xsl:with-param><xsl:with-param name="value" select="TrafoConfiguration/@Value"/></xsl:call-template>
        <td></td><td></td>
      </tr>
    </table>
    <xsl:apply-templates select="Winding[@Avail != '0']"/>
  </xsl:template>

  <xsl:template name="clock">
    <xsl:param name="code"/>
    <xsl:choose>
      <xsl:when test="$code = '85'">arbitrary phase shift</xsl:when>
      <xsl:when test="$code = '86'">arbitrary phase shift, auto transformer</xsl:when>
      <xsl:when test="$code = '255' or $code = ''">automatic</xsl:when>
      <xsl:otherwise><xsl:value-of select="$code"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="Winding">
    <div class="winding">
      <h3><xsl:value-of select="@Name"/></h3>
      <table class="fields">
        <tr>
          <xsl:call-template name="field"><xsl:with-param name="label">Nominal Voltage</xsl:with-param><xsl:with-param name="value" select="NominalVoltage/@Value"/></xsl:call-template>
          <xsl:call-template name="field"><xsl:with-param name="label">Connection</xsl:with-param><xsl:with-param name="value" select="Configuration/@ValueStr"/></xsl:call-template>
        </tr>
        <tr>
          <xsl:call-template name="field"><xsl:with-param name="label">Nominal Power</xsl:with-param><xsl:with-param name="value" select="NominalPower/@Value"/></xsl:call-template>
          <td class="label">Phase Displacement</td>
          <td class="value"><xsl:call-template name="clock"><xsl:with-param name="code" select="VectorGroup/@Value"/></xsl:call-template></td>
        </tr>
        <tr>
          <xsl:call-template name="field"><xsl:with-param name="label">Nominal Current</xsl:with-param><xsl:with-param name="value" select="NominalCurrent/@Value"/></xsl:call-template>
          <td class="label">Tap Changer</td>
          <td class="value">
            <xsl:choose>
              <xsl:when test="TapChangerAvailable/@Value = '1'">
                <xsl:value-of select="TapChangerData/NrOfTaps/@Value"/>
                <xsl:text> taps, nominal tap </xsl:text>
                <xsl:value-of select="TapChangerData/NominalTap/@Value"/>
                <xsl:text>, first tap </xsl:text>
                <xsl:value-of select="TapChangerData/FirstTap/@Value"/>
              </xsl:when>
              <xsl:otherwise>none</xsl:otherwise>
            </xsl:choose>
          </td>
        </tr>
      </table>
      <xsl:if test="TapChangerAvailable/@Value = '1' and TapChangerData/Grid/R">
        <xsl:variable name="visible" select="TapChangerData/Grid/VisibleCols/@Value"/>
        <xsl:call-template name="grid">
          <xsl:with-param name="grid" select="TapChangerData/Grid"/>
          <xsl:with-param name="cols">
            <xsl:choose>
              <xsl:when test="number($visible) &gt; 0"><xsl:value-of select="$visible"/></xsl:when>
              <xsl:otherwise><xsl:value-of select="count(TapChangerData/Grid/Headers/@*)"/></xsl:otherwise>
            </xsl:choose>
          </xsl:with-param>
          <xsl:with-param name="class">grid taps</xsl:with-param>
          <xsl:with-param name="nominalRow" select="TapChangerData/NominalTap/@Value - TapChangerData/FirstTap/@Value + 1"/>
        </xsl:call-template>
      </xsl:if>
    </div>
  </xsl:template>

  <xsl:template name="windingName">
    <xsl:param name="index"/>
    <xsl:choose>
      <xsl:when test="$index = '1'">LV</xsl:when>
      <xsl:when test="$index = '2'">TV</xsl:when>
      <xsl:otherwise>HV</xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="conditions">
    <h2>Test Conditions</h2>
    <table class="fields">
      <tr>
        <td class="label">Measurement Standard</td>
        <td class="value">
          <xsl:choose>
            <xsl:when test="$setup/Standard/@ValueStr != ''"><xsl:value-of select="$setup/Standard/@ValueStr"/></xsl:when>
            <xsl:when test="$setup/Standard/@Value = '0'">IEC / VDE</xsl:when>
            <xsl:when test="$setup/Standard/@Value = '1'">ANSI / IEEE</xsl:when>
            <xsl:when test="$setup/Standard/@Value = '2'">AUSTRALIAN</xsl:when>
            <xsl:otherwise>--</xsl:otherwise>
          </xsl:choose>
        </td>
        <xsl:call-template name="field"><xsl:with-param name="label">Ambient Temperature</xsl:with-param><xsl:with-param name="value" select="$setup/Condition/AmbientTemp/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Test Voltage</xsl:with-param><xsl:with-param name="value" select="$setup/ActTestVoltage/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Relative Humidity</xsl:with-param><xsl:with-param name="value" select="$setup/Condition/RelHumidity/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <td class="label">Measured Windings</td>
        <td class="value">
          <xsl:call-template name="windingName"><xsl:with-param name="index" select="$setup/ActMeasWindingH/@Value"/></xsl:call-template>
          <xsl:text> : </xsl:text>
          <xsl:call-template name="windingName"><xsl:with-param name="index" select="$setup/ActMeasWindingX/@Value"/></xsl:call-template>
        </td>
        <xsl:call-template name="field"><xsl:with-param name="label">Pressure</xsl:with-param><xsl:with-param name="value" select="$setup/Condition/Pressure/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Phase A</xsl:with-param><xsl:with-param name="value" select="$setup/ActWindMeasPhaseA/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">Phase B</xsl:with-param><xsl:with-param name="value" select="$setup/ActWindMeasPhaseB/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Phase C</xsl:with-param><xsl:with-param name="value" select="$setup/ActWindMeasPhaseC/@Value"/></xsl:call-template>
        <td></td><td></td>
      </tr>
    </table>
    <xsl:variable name="series" select="/*/QEL/Measurement/Grid/R[Info]"/>
    <xsl:if test="$series">
      <h3>Measurement Series</h3>
      <table class="grid" id="series">
        <thead>
          <tr><th>Started</th><th>Operator</th><th>Ambient Temp.</th><th>Rel. Humidity</th><th>Pressure</th>
              <th>Device</th><th>Serial Nr.</th><th>Firmware</th><th>APSW</th></tr>
        </thead>
        <tbody>
          <xsl:for-each select="$series">
            <tr>
              <td><xsl:value-of select="@C000"/></td>
              <td><xsl:value-of select="Info/@Operator"/></td>
              <td><xsl:value-of select="Info/@AmbientTemp"/></td>
              <td><xsl:value-of select="Info/@RelHumitidy"/></td>
              <td><xsl:value-of select="Info/@Pressure"/></td>
              <td><xsl:value-of select="Info/@Device"/></td>
              <td><xsl:value-of select="Info/@SerialNr"/></td>
              <td><xsl:value-of select="Info/@Firmware"/></td>
              <td><xsl:value-of select="Info/@APSW"/></td>
            </tr>
          </xsl:for-each>
        </tbody>
      </table>
    </xsl:if>
  </xsl:template>

  <xsl:template name="measurement">
    <h2>Turns Ratio Measurement</h2>
    <xsl:variable name="grid" select="/*/QEL/Measurement/Grid"/>
    <xsl:call-template name="grid">
      <xsl:with-param name="grid" select="$grid"/>
      <xsl:with-param name="cols" select="count($grid/Headers/@*)"/>
      <xsl:with-param name="class">grid</xsl:with-param>
      <xsl:with-param name="id">measurement</xsl:with-param>
      <xsl:with-param name="judge" select="true()"/>
    </xsl:call-template>
  </xsl:template>

  <!-- The limit band of the deviation in the current cell ("0.12 %", "-0.3 °") as the class of
       its table cell; a cell without a number gets none. -->
  <xsl:template name="band">
    <xsl:param name="green"/>
    <xsl:param name="yellow"/>
    <xsl:variable name="a" select="number(translate(substring-before(concat(normalize-space(.), ' '), ' '), '-', ''))"/>
    <xsl:choose>
      <xsl:when test="not($a = $a)"/>
      <xsl:when test="$a &lt;= $green"><xsl:attribute name="class">green</xsl:attribute></xsl:when>
      <xsl:when test="$a &lt;= $yellow"><xsl:attribute name="class">yellow</xsl:attribute></xsl:when>
      <xsl:otherwise><xsl:attribute name="class">red</xsl:attribute></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The number of a limit ("0.5 %" gives 0.5). -->
  <xsl:template name="limit">
    <xsl:param name="text"/>
    <xsl:value-of select="number(substring-before(concat(normalize-space($text), ' '), ' '))"/>
  </xsl:template>

  <!-- The 1-based column of a title, 0 when there is none. -->
  <xsl:template name="column">
    <xsl:param name="titles"/>
    <xsl:param name="title"/>
    <xsl:for-each select="$titles">
      <xsl:if test=". = $title"><xsl:value-of select="position()"/></xsl:if>
    </xsl:for-each>
  </xsl:template>

  <!-- A table element: the titles of its first cols columns and every row, cell by cell. Rows
       as the program writes them hold their cells in column order and are written straight
       on; other rows are matched to the titles by cell name. With judge, the deviation columns
       are coloured by the limit bands of the analysis. -->
  <xsl:template name="grid">
    <xsl:param name="grid"/>
    <xsl:param name="cols"/>
    <xsl:param name="class"/>
    <xsl:param name="id"/>
    <xsl:param name="nominalRow" select="0"/>
    <xsl:param name="judge" select="false()"/>
    <!-- A number, also when the caller made it as a text. -->
    <xsl:variable name="count" select="number($cols)"/>
    <xsl:variable name="titles" select="$grid/Headers/@*[position() &lt;= $count]"/>
    <xsl:variable name="lastName" select="name($titles[last()])"/>
    <xsl:variable name="ratioGreenText"><xsl:call-template name="limit"><xsl:with-param name="text" select="$analysis/MaxRelRatioErrorGreen/@Value"/></xsl:call-template></xsl:variable>
    <xsl:variable name="ratioYellowText"><xsl:call-template name="limit"><xsl:with-param name="text" select="$analysis/MaxRelRatioErrorYellow/@Value"/></xsl:call-template></xsl:variable>
    <xsl:variable name="phaseGreenText"><xsl:call-template name="limit"><xsl:with-param name="text" select="$analysis/MaxRelPhaseErrorGreen/@Value"/></xsl:call-template></xsl:variable>
    <xsl:variable name="phaseYellowText"><xsl:call-template name="limit"><xsl:with-param name="text" select="$analysis/MaxRelPhaseErrorYellow/@Value"/></xsl:call-template></xsl:variable>
    <xsl:variable name="ratioColText"><xsl:call-template name="column"><xsl:with-param name="titles" select="$titles"/><xsl:with-param name="title">Ratio Dev.</xsl:with-param></xsl:call-template></xsl:variable>
    <xsl:variable name="phaseColText"><xsl:call-template name="column"><xsl:with-param name="titles" select="$titles"/><xsl:with-param name="title">Phase Dev.</xsl:with-param></xsl:call-template></xsl:variable>
    <xsl:variable name="ratioGreen" select="number($ratioGreenText)"/>
    <xsl:variable name="ratioYellow" select="number($ratioYellowText)"/>
    <xsl:variable name="phaseGreen" select="number($phaseGreenText)"/>
    <xsl:variable name="phaseYellow" select="number($phaseYellowText)"/>
    <!-- Only columns with a limit are judged; 0 matches no column. -->
    <xsl:variable name="ratioCol" select="number($judge and $ratioGreen = $ratioGreen) * number(concat('0', $ratioColText))"/>
    <xsl:variable name="phaseCol" select="number($judge and $phaseGreen = $phaseGreen) * number(concat('0', $phaseColText))"/>
    <table class="{$class}">
      <xsl:if test="$id != ''"><xsl:attribute name="id"><xsl:value-of select="$id"/></xsl:attribute></xsl:if>
      <thead>
        <tr>
          <xsl:for-each select="$titles"><th><xsl:value-of select="."/></th></xsl:for-each>
        </tr>
      </thead>
      <tbody>
        <xsl:for-each select="$grid/R">
          <xsl:variable name="nominal" select="position() = $nominalRow"/>
          <tr>
            <xsl:if test="not(@*[normalize-space(.) != ''])"><xsl:attribute name="class">gap</xsl:attribute></xsl:if>
            <xsl:choose>
              <xsl:when test="name(@*[$count]) = $lastName">
                <xsl:for-each select="@*[position() &lt;= $count]">
                  <td>
                    <xsl:choose>
                      <xsl:when test="$nominal and position() = 1"><xsl:attribute name="class">nominal</xsl:attribute></xsl:when>
                      <xsl:when test="position() = $ratioCol">
                        <xsl:call-template name="band"><xsl:with-param name="green" select="$ratioGreen"/><xsl:with-param name="yellow" select="$ratioYellow"/></xsl:call-template>
                      </xsl:when>
                      <xsl:when test="position() = $phaseCol">
                        <xsl:call-template name="band"><xsl:with-param name="green" select="$phaseGreen"/><xsl:with-param name="yellow" select="$phaseYellow"/></xsl:call-template>
                      </xsl:when>
                    </xsl:choose>
                    <xsl:value-of select="."/>
                  </td>
                </xsl:for-each>
              </xsl:when>
              <xsl:otherwise>
                <xsl:variable name="cells" select="@*"/>
                <xsl:for-each select="$titles">
                  <xsl:variable name="n" select="name()"/>
                  <td><xsl:value-of select="$cells[name() = $n]"/></td>
                </xsl:for-each>
              </xsl:otherwise>
            </xsl:choose>
          </tr>
        </xsl:for-each>
      </tbody>
    </table>
  </xsl:template>

  <xsl:template match="Analysis">
    <h2>Analysis</h2>
    <table class="fields">
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Ratio Deviation, green up to</xsl:with-param><xsl:with-param name="value" select="MaxRelRatioErrorGreen/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">yellow up to</xsl:with-param><xsl:with-param name="value" select="MaxRelRatioErrorYellow/@Value"/></xsl:call-template>
      </tr>
      <tr>
        <xsl:call-template name="field"><xsl:with-param name="label">Phase Deviation, green up to</xsl:with-param><xsl:with-param name="value" select="MaxRelPhaseErrorGreen/@Value"/></xsl:call-template>
        <xsl:call-template name="field"><xsl:with-param name="label">yellow up to</xsl:with-param><xsl:with-param name="value" select="MaxRelPhaseErrorYellow/@Value"/></xsl:call-template>
      </tr>
    </table>
    <!-- Only a plain file name beside the report: no folder, no scheme. -->
    <xsl:variable name="pictures" select="JPEGFiles[normalize-space(@Value) != '' and not(contains(@Value, ':'))
                                          and not(contains(@Value, '/')) and not(contains(@Value, '\'))]"/>
    <xsl:if test="$pictures">
      <div class="pictures">
        <xsl:for-each select="$pictures">
          <div class="picture">
            <img src="{@Value}" alt="{@Title}"/>
            <div><xsl:value-of select="@Title"/></div>
          </div>
        </xsl:for-each>
      </div>
    </xsl:if>
  </xsl:template>

</xsl:stylesheet>
