"""The workbench driven in headless Chromium: each view used as a person would,
with a screenshot of each in $VEXA_SCREENSHOTS. Skipped (exit code 77) where
Chromium, its driver or Selenium is missing."""
import os
import shutil
import sys
import unittest

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support import expected_conditions
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None

from served import Served, make_file, temporary_folder, vexacfg

BROWSER = shutil.which("chromium")
DRIVER = shutil.which("chromedriver")
SCREENSHOTS = os.environ.get("VEXA_SCREENSHOTS", "workbench-screenshots")


class Workbench(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        cls.folder = temporary_folder()
        cls.path = make_file(cls.folder.name, rows=120)
        cls.second = make_file(cls.folder.name, "other.cfg", rows=118)
        vexacfg("query", cls.path, "update ParameterDefaultsState set * = Cruise||False| where 0",
                "update ParameterDefaults set ParameterDefaults = 'Cruise', Parameter = 'ALT' where 0",
                "update ParameterDefaults set ParameterDefaults = 'ParameterSet1', Parameter = 'MACH' where 0",
                "update EventMarkerLog set * = g||pilot|123:14:05:00.000|Gear down| where 0",
                "update EventMarkerLog set * = g||pilot|123:14:35:00.000|Gear up| where 0",
                "update TestPointLog set * = g|||TP1|||123:14:10:00.000|123:14:20:00.000| where 0", "--save")
        cls.served = Served(cls.path, cls.second)
        options = webdriver.ChromeOptions()
        options.binary_location = BROWSER
        for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,800",
                         "--disable-dev-shm-usage"]:
            options.add_argument(argument)
        cls.browser = webdriver.Chrome(service=Service(DRIVER), options=options)
        cls.wait = WebDriverWait(cls.browser, 15)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.served.stop()
        cls.folder.cleanup()

    def find(self, selector):
        return self.browser.find_element(By.CSS_SELECTOR, selector)

    def rows(self, grid="#grid"):
        return self.browser.find_elements(By.CSS_SELECTOR, grid + " tbody tr")

    def until_text(self, selector, text):
        self.wait.until(expected_conditions.text_to_be_present_in_element((By.CSS_SELECTOR, selector), text))

    def shoot(self, name):
        self.browser.save_screenshot(os.path.join(SCREENSHOTS, name + ".png"))

    def open_notes(self):
        self.browser.get(self.served.url)
        self.wait.until(lambda _: self.browser.find_elements(By.CSS_SELECTOR, "#tables tr[data-table=Notes]"))
        self.find("#tables tr[data-table=Notes]").click()
        self.until_text("#page-info", "of 120")

    def test_1_look_filter_sort_and_page(self):
        self.open_notes()
        self.assertEqual(len(self.rows()), 50)
        self.assertEqual(self.rows()[0].find_elements(By.TAG_NAME, "td")[1].text, "Unchanged")
        self.shoot("1-table")
        self.find("#next").click()
        self.until_text("#page-info", "51–100 of 120")
        where = self.find("#where")
        where.send_keys("Count < 10")
        self.find("#apply").click()
        self.until_text("#page-info", "1–13 of 13")
        self.shoot("2-filtered")
        self.find("th[data-column=Name]").click()  # ascending
        self.until_text("th[data-column=Name]", "▲")
        self.find("th[data-column=Name]").click()  # descending
        self.until_text("th[data-column=Name]", "▼")
        names = [row.find_elements(By.TAG_NAME, "td")[2].text for row in self.rows()]
        self.assertEqual(names, sorted(names, reverse=True))
        self.assertTrue(all(int(row.find_elements(By.TAG_NAME, "td")[3].text) < 10 for row in self.rows()))
        self.shoot("3-sorted")

    def test_2_edit_refuse_and_save(self):
        self.open_notes()
        comment = self.rows()[0].find_elements(By.TAG_NAME, "td")[4]
        self.browser.execute_script("arguments[0].dispatchEvent(new MouseEvent('dblclick', {bubbles: true}))", comment)
        field = comment.find_element(By.TAG_NAME, "input")
        field.clear()
        field.send_keys("Ωmega" + Keys.ENTER)
        self.until_text("#message", "is not in Windows-1252")
        self.shoot("4-refused-text")
        field.clear()
        field.send_keys("checked by the browser" + Keys.ENTER)
        self.wait.until(lambda _: self.rows()[0].get_attribute("class") == "Edited")
        self.assertFalse(self.find("#unsaved").get_attribute("hidden"))
        self.assertIn("unsaved", self.find("#tables tr[data-table=Notes]").get_attribute("class"))
        self.shoot("5-edited")
        self.find("#save").click()
        self.until_text("#message", "saved")
        diff = vexacfg("diff", self.path + ".Backup", self.path, check=False)
        self.assertEqual(diff.stdout, 'Notes: changed n000: Comment "row 0" -> "checked by the browser"\n')

    def test_3_query_console(self):
        self.browser.get(self.served.url)
        self.find("#tab-query").click()
        self.find("#statement").send_keys("select top 3 Name, Count from Notes order by Count")
        self.find("#run").click()
        self.until_text("#query-status", "3 row(s)")
        self.assertEqual(len(self.rows("#results")), 3)
        self.find("#statement").clear()
        self.find("#statement").send_keys("select Missing from Notes")
        self.find("#run").click()
        self.until_text("#query-error", "unknown column token (Missing)")
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, "#history li")), 2)
        self.shoot("6-query")

    def test_4_compare(self):
        self.browser.get(self.served.url)
        self.find("#tab-compare").click()
        self.wait.until(expected_conditions.visibility_of_element_located((By.ID, "compare-second"))).click()
        self.until_text("#compare-title", "other.cfg")
        changes = self.rows("table.changes[data-table=Notes]")
        # The second file lacks the last two rows; the first was edited by the browser.
        self.assertEqual(sorted(row.find_element(By.TAG_NAME, "td").text for row in changes),
                         ["changed", "removed", "removed"])
        self.shoot("7-compare")

    def test_6_parameter_sets_and_logs(self):
        self.browser.get(self.served.url)
        self.wait.until(lambda _: self.browser.find_elements(By.CSS_SELECTOR, "#tables tr[data-table=Notes]"))
        self.find("#tab-sets").click()
        self.wait.until(lambda _: len(self.rows("#sets")) == 2)
        self.rows("#sets")[1].click()
        self.until_text("#page-info", "1–1 of 1")
        self.assertEqual(self.rows()[0].find_elements(By.TAG_NAME, "td")[3].text, "ALT")
        self.shoot("10-parameter-set")
        self.find("#tab-logs").click()
        self.until_text("#timeline", "EventMarkerLog")
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, "#timeline circle.mark")), 2)
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, "#timeline rect.mark")), 1)
        self.assertIn("123:14:05:00", self.find("#timeline").text)
        self.shoot("11-logs")

    def test_5_refusals(self):
        self.browser.get(self.served.base + "/")
        self.assertIn("refused: no valid token", self.find("body").text)
        self.shoot("8-no-token")
        self.browser.get(self.served.url.replace("127.0.0.1", "localhost"))
        self.until_text("#file", "flight.cfg")
        read_only = Served(self.path, "--read-only")
        try:
            self.browser.get(read_only.url)
            self.until_text("#file", "flight.cfg")
            self.assertFalse(self.find("#readonly").get_attribute("hidden"))
            self.assertTrue(self.find("#save").get_attribute("disabled"))
            answer = self.browser.execute_async_script(
                "const done = arguments[0];"
                "fetch('/api/save', {method: 'POST', headers: {'X-Vexa-Token': token}, body: '{}'})"
                ".then((r) => r.json().then((j) => done([r.status, j.error])));")
            self.assertEqual(answer, [403, "the workbench is read-only (--read-only)"])
            self.shoot("9-read-only")
        finally:
            read_only.stop()


if __name__ == "__main__":
    if webdriver is None or not BROWSER or not DRIVER:
        print("skipped: needs chromium, chromium-driver and python3-selenium (scripts/install-deps.sh browser)")
        sys.exit(77)
    unittest.main()
